// HKEY_CURRENT_USER kept in a REGEDIT4-style text file:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\SOFTWARE\Some Key]
//   "Text"="plain text"
//   "Count"=dword:00000004
//   "Flag"=hex(4):01
//
// Values whose bytes are not exactly what the short forms express are written
// as hex(type):bytes, so a one-byte REG_DWORD stays one byte and a REG_SZ of
// 255 bytes keeps its zero padding. Writes go to a temporary file that is then
// renamed over the old one. A file that cannot be parsed is never overwritten.
#include "platform/registry/winreg.h"

#include "platform/files/files.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

struct RegistryKeyRecord {
  std::string path;  // below HKEY_CURRENT_USER, "" for the root
};

namespace {

struct RegistryValue {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;
};

struct RegistryKey {
  std::string path;
  std::vector<RegistryValue> values;
};

struct RegistryState {
  std::string file;
  bool loaded = false;
  bool damaged = false;
  bool readOnly = false;
  std::vector<RegistryKey> keys;
};
RegistryState reg;
RegistryKeyRecord rootKey{""};

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

std::string DefaultFile() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && *xdg) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : ".") + "/.config";
  }
  return base + "/kavret/registry.reg";
}

RegistryKey* FindKey(const std::string& path) {
  for (auto& k : reg.keys) {
    if (SameName(k.path, path)) return &k;
  }
  return nullptr;
}

bool ParseHexBytes(const std::string& text, std::vector<BYTE>* out) {
  out->clear();
  std::string digits;
  for (char c : text) {
    if (c == ',' || c == ' ' || c == '\\' || c == '\t') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    digits += c;
  }
  if (digits.size() % 2) return false;
  for (size_t i = 0; i < digits.size(); i += 2) {
    out->push_back(static_cast<BYTE>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
  }
  return true;
}

// Reads a quoted string starting at text[*pos] == '"'; handles \" and \\.
bool ParseQuoted(const std::string& text, size_t* pos, std::string* out) {
  if (*pos >= text.size() || text[*pos] != '"') return false;
  out->clear();
  for (size_t i = *pos + 1; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      *out += text[++i];
    } else if (text[i] == '"') {
      *pos = i + 1;
      return true;
    } else {
      *out += text[i];
    }
  }
  return false;
}

bool ParseValueLine(const std::string& line, RegistryValue* value) {
  size_t pos = 0;
  if (line[0] == '@') {
    value->name.clear();
    pos = 1;
  } else if (!ParseQuoted(line, &pos, &value->name)) {
    return false;
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  const std::string rest = line.substr(pos + 1);
  if (!rest.empty() && rest[0] == '"') {
    size_t p = 0;
    std::string text;
    if (!ParseQuoted(rest, &p, &text) || p != rest.size()) return false;
    value->type = REG_SZ;
    value->data.assign(text.begin(), text.end());
    value->data.push_back(0);
    return true;
  }
  if (rest.rfind("dword:", 0) == 0) {
    const std::string hex = rest.substr(6);
    if (hex.size() != 8) return false;
    for (char c : hex) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    const DWORD v = static_cast<DWORD>(std::strtoul(hex.c_str(), nullptr, 16));
    value->type = REG_DWORD;
    value->data = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                   static_cast<BYTE>(v >> 24)};
    return true;
  }
  if (rest.rfind("hex(", 0) == 0) {
    const size_t close = rest.find("):");
    if (close == std::string::npos) return false;
    // The digits are kept in a named string: `end` points into them afterwards.
    const std::string digits = rest.substr(4, close - 4);
    char* end = nullptr;
    const unsigned long type = std::strtoul(digits.c_str(), &end, 16);
    if (!end || *end) return false;
    value->type = static_cast<DWORD>(type);
    return ParseHexBytes(rest.substr(close + 2), &value->data);
  }
  if (rest.rfind("hex:", 0) == 0) {
    value->type = REG_BINARY;
    return ParseHexBytes(rest.substr(4), &value->data);
  }
  return false;
}

// Parses the whole file; false (and nothing kept) when any line is not understood.
bool Parse(const std::string& text, std::vector<RegistryKey>* keys, int* badLine) {
  std::istringstream in(text);
  std::string line, pending;
  int number = 0;
  bool header = false;
  RegistryKey* current = nullptr;
  const std::string root = "HKEY_CURRENT_USER";
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Long hex lists continue on the next line after a trailing backslash. The
    // pieces are appended in place, so that a list of many short lines is read
    // in time linear in its length.
    const bool continued = !pending.empty();
    if (continued) {
      const size_t start = line.find_first_not_of(" \t");
      if (start != std::string::npos) pending.append(line, start);
      line.swap(pending);
      pending.clear();
    }
    if (!line.empty() && line.back() == '\\' && (continued || line.find("=hex") != std::string::npos)) {
      line.pop_back();
      pending.swap(line);
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    if (!header) {
      if (line != "REGEDIT4" && line != "Windows Registry Editor Version 5.00") {
        *badLine = number;
        return false;
      }
      header = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']') {
        *badLine = number;
        return false;
      }
      std::string path = line.substr(1, line.size() - 2);
      if (strncasecmp(path.c_str(), root.c_str(), root.size()) != 0) {
        current = nullptr;  // other hives are kept out of our way
        continue;
      }
      path = path.substr(root.size());
      if (!path.empty() && path[0] == '\\') path = path.substr(1);
      keys->push_back(RegistryKey{path, {}});
      current = &keys->back();
      continue;
    }
    RegistryValue value;
    if (!ParseValueLine(line, &value)) {
      *badLine = number;
      return false;
    }
    if (current) current->values.push_back(value);
  }
  if (!pending.empty()) {
    *badLine = number;
    return false;
  }
  if (!header && number > 0) {
    *badLine = 1;
    return false;
  }
  return true;
}

void Load() {
  if (reg.loaded) return;
  reg.loaded = true;
  reg.damaged = false;
  reg.keys.clear();
  if (reg.file.empty()) reg.file = DefaultFile();
  // Only a regular file is read: a FIFO or device there would block or never
  // end, and it is left alone (not replaced by a save) like a damaged file.
  bool notRegular = false;
  FILE* in = OpenRegularFile(reg.file, &notRegular);
  if (notRegular) {
    reg.damaged = true;
    std::fprintf(stderr,
                 "kavret: settings file %s is not a regular file; it is left as it is and settings will not "
                 "be saved this run\n",
                 reg.file.c_str());
    return;
  }
  if (!in) return;  // no file yet: an empty registry
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
  std::fclose(in);
  std::vector<RegistryKey> keys;
  int badLine = 0;
  if (!Parse(text, &keys, &badLine)) {
    reg.damaged = true;
    std::fprintf(stderr,
                 "kavret: settings file %s cannot be read (line %d); it is left as it is and "
                 "settings will not be saved this run\n",
                 reg.file.c_str(), badLine);
    return;
  }
  reg.keys = std::move(keys);
}

bool IsPlainText(const RegistryValue& v) {
  if (v.type != REG_SZ || v.data.empty() || v.data.back() != 0) return false;
  for (size_t i = 0; i + 1 < v.data.size(); ++i) {
    const BYTE c = v.data[i];
    if (c < 0x20 || c >= 0x7F) return false;
  }
  return true;
}

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Format(const RegistryValue& v) {
  std::string line = (v.name.empty() ? std::string("@") : Quote(v.name)) + "=";
  char buf[16];
  if (IsPlainText(v)) return line + Quote(std::string(v.data.begin(), v.data.end() - 1));
  if (v.type == REG_DWORD && v.data.size() == 4) {
    const DWORD d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<DWORD>(v.data[3]) << 24);
    std::snprintf(buf, sizeof buf, "dword:%08x", d);
    return line + buf;
  }
  std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
  line += buf;
  size_t width = line.size();
  for (size_t i = 0; i < v.data.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", v.data[i]);
    line += buf;
    width += 2;
    if (i + 1 < v.data.size()) {
      line += ',';
      ++width;
      if (width > 76) {
        line += "\\\n  ";
        width = 2;
      }
    }
  }
  return line;
}

void MakeDirectories(const std::string& file) {
  for (size_t i = 1; i < file.size(); ++i) {
    if (file[i] == '/') ::mkdir(file.substr(0, i).c_str(), 0755);
  }
}

bool Save() {
  if (reg.damaged || reg.readOnly) return false;
  std::string text = "REGEDIT4\n";
  for (const auto& k : reg.keys) {
    text += "\n[HKEY_CURRENT_USER" + (k.path.empty() ? std::string() : "\\" + k.path) + "]\n";
    for (const auto& v : k.values) text += Format(v) + "\n";
  }
  MakeDirectories(reg.file);
  const std::string temp = reg.file + ".tmp";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const bool flushed = std::fflush(f) == 0 && ::fsync(fileno(f)) == 0;
  if (std::fclose(f) != 0 || !written || !flushed || std::rename(temp.c_str(), reg.file.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

const HKEY HKEY_CURRENT_USER = &rootKey;

void RegistrySetFile(const std::string& path) {
  reg.file = path;
  reg.loaded = false;
  reg.keys.clear();
}

bool RegistryFileDamaged() {
  Load();
  return reg.damaged;
}

void RegistrySetReadOnly(bool readOnly) { reg.readOnly = readOnly; }

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, void*, HKEY* result,
                     DWORD* disposition) {
  if (!key || !result) return ERROR_INVALID_PARAMETER;
  Load();
  std::string path = key->path;
  if (subKey && *subKey) path += (path.empty() ? "" : "\\") + std::string(subKey);
  bool created = false;
  if (!FindKey(path)) {
    reg.keys.push_back(RegistryKey{path, {}});
    created = true;
    Save();
  }
  *result = new RegistryKeyRecord{path};
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
  if (!key) return ERROR_INVALID_HANDLE;
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  Load();
  RegistryKey* k = FindKey(key->path);
  if (!k) return ERROR_FILE_NOT_FOUND;
  const std::string name = valueName ? valueName : "";
  for (const auto& v : k->values) {
    if (!SameName(v.name, name)) continue;
    if (type) *type = v.type;
    const DWORD size = static_cast<DWORD>(v.data.size());
    if (data && *dataSize < size) {
      *dataSize = size;
      return ERROR_MORE_DATA;
    }
    if (data && size) std::memcpy(data, v.data.data(), size);
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  if (!key || (!data && dataSize)) return ERROR_INVALID_PARAMETER;
  Load();
  RegistryKey* k = FindKey(key->path);
  if (!k) {
    reg.keys.push_back(RegistryKey{key->path, {}});
    k = &reg.keys.back();
  }
  const std::string name = valueName ? valueName : "";
  RegistryValue value{name, type, std::vector<BYTE>(data, data + dataSize)};
  bool replaced = false;
  for (auto& v : k->values) {
    if (SameName(v.name, name)) {
      v = value;
      replaced = true;
      break;
    }
  }
  if (!replaced) k->values.push_back(value);
  // Kept for this run only; the file stays as it is.
  if (reg.damaged || reg.readOnly) return ERROR_SUCCESS;
  return Save() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegCloseKey(HKEY key) {
  if (!key) return ERROR_INVALID_HANDLE;
  if (key != HKEY_CURRENT_USER) delete key;
  return ERROR_SUCCESS;
}

std::vector<RegistryKeyCopy> RegistryContents() {
  Load();
  std::vector<RegistryKeyCopy> keys;
  for (const auto& k : reg.keys) {
    RegistryKeyCopy& copy = keys.emplace_back();
    copy.path = k.path;
    for (const auto& v : k.values) copy.values.push_back({v.name, v.type, v.data});
  }
  return keys;
}
