// The dialog's view: Dear ImGui in the dialog's SDL window, each control drawn
// at its template position (dialog units scaled to pixels) in the grey of a
// classic Windows dialog. The view only shows the model; what the user does goes
// back through the same actions a person's clicks would (DialogUser...).
// Keys: Enter presses the default button, Escape cancels, Alt+letter the &
// mnemonics.
#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "platform/dialog/dialog_internal.h"
#include "platform/win/win_platform.h"

namespace {

// The dialog font: a narrow sans serif near the 8-point one the layout was made
// for; Dear ImGui's own font when none is installed.
constexpr const char* kFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};
constexpr float kFontPixels = 12.0f;

struct ViewState {
  SDL_Renderer* renderer = nullptr;
  DialogViewObserver observer = nullptr;
};
ViewState view;

struct Banner {
  SDL_Texture* texture = nullptr;
  int width = 0;
  int height = 0;
};

ImU32 Grey(int v) { return IM_COL32(v, v, v, 255); }

// "Play &Music" -> "Play Music", with the position and letter of the mnemonic.
std::string StripMnemonic(const char* text, int* at, char* letter) {
  std::string out;
  *at = -1;
  *letter = 0;
  for (const char* p = text; *p; ++p) {
    if (*p == '&' && p[1] && p[1] != '&') {
      *at = static_cast<int>(out.size());
      *letter = static_cast<char>(std::toupper(static_cast<unsigned char>(p[1])));
      continue;
    }
    if (*p == '&' && p[1] == '&') ++p;
    out += *p;
  }
  return out;
}

void UnderlineMnemonic(const std::string& text, int at, ImVec2 origin) {
  if (at < 0 || at >= static_cast<int>(text.size())) return;
  const float x0 = origin.x + ImGui::CalcTextSize(text.c_str(), text.c_str() + at).x;
  const float x1 = origin.x + ImGui::CalcTextSize(text.c_str(), text.c_str() + at + 1).x;
  const float y = origin.y + ImGui::GetFontSize();
  ImGui::GetWindowDrawList()->AddLine(ImVec2(x0, y), ImVec2(x1, y), IM_COL32(0, 0, 0, 255));
}

void ApplyClassicStyle() {
  ImGuiStyle& style = ImGui::GetStyle();
  ImGui::StyleColorsLight(&style);
  style.WindowRounding = style.FrameRounding = style.PopupRounding = style.GrabRounding = 0.0f;
  style.WindowBorderSize = 0.0f;
  style.FrameBorderSize = 1.0f;
  style.PopupBorderSize = 1.0f;
  style.FramePadding = ImVec2(3, 2);
  style.WindowPadding = ImVec2(0, 0);
  ImVec4* c = style.Colors;
  const ImVec4 face(0.753f, 0.753f, 0.753f, 1.0f);
  c[ImGuiCol_WindowBg] = face;
  c[ImGuiCol_PopupBg] = ImVec4(1, 1, 1, 1);
  c[ImGuiCol_Text] = ImVec4(0, 0, 0, 1);
  c[ImGuiCol_TextDisabled] = ImVec4(0.5f, 0.5f, 0.5f, 1);
  c[ImGuiCol_Border] = ImVec4(0.25f, 0.25f, 0.25f, 1);
  c[ImGuiCol_FrameBg] = ImVec4(1, 1, 1, 1);
  c[ImGuiCol_FrameBgHovered] = ImVec4(1, 1, 1, 1);
  c[ImGuiCol_FrameBgActive] = ImVec4(1, 1, 1, 1);
  c[ImGuiCol_Button] = face;
  c[ImGuiCol_ButtonHovered] = ImVec4(0.82f, 0.82f, 0.82f, 1);
  c[ImGuiCol_ButtonActive] = ImVec4(0.65f, 0.65f, 0.65f, 1);
  c[ImGuiCol_CheckMark] = ImVec4(0, 0, 0, 1);
  c[ImGuiCol_Header] = ImVec4(0, 0, 0.5f, 1);
  c[ImGuiCol_HeaderHovered] = ImVec4(0, 0, 0.5f, 1);
  c[ImGuiCol_HeaderActive] = ImVec4(0, 0, 0.5f, 1);
}

Banner LoadBanner(int id) {
  Banner banner;
  DialogBitmap bitmap;
  std::string error;
  if (!DialogLoadBitmapResource(id, &bitmap, &error)) {
    std::fprintf(stderr, "kavret: banner picture not shown: %s\n", error.c_str());
    return banner;
  }
  banner.texture = SDL_CreateTexture(view.renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, bitmap.width,
                                     bitmap.height);
  if (!banner.texture) return banner;
  SDL_UpdateTexture(banner.texture, nullptr, bitmap.rgba.data(), bitmap.width * 4);
  banner.width = bitmap.width;
  banner.height = bitmap.height;
  return banner;
}

ImVec2 Pixels(int x, int y) {
  return ImVec2(static_cast<float>(DialogUnitsToPixelsX(x)), static_cast<float>(DialogUnitsToPixelsY(y)));
}

// A sunken edge: dark above and left, light below and right.
void SunkenEdge(ImVec2 a, ImVec2 b) {
  ImDrawList* draw = ImGui::GetWindowDrawList();
  draw->AddLine(a, ImVec2(b.x, a.y), Grey(128));
  draw->AddLine(a, ImVec2(a.x, b.y), Grey(128));
  draw->AddLine(ImVec2(a.x, b.y), b, Grey(255));
  draw->AddLine(ImVec2(b.x, a.y), ImVec2(b.x, b.y + 1), Grey(255));
}

void DrawPicture(const DialogItemTemplate& item, const Banner& banner) {
  const ImVec2 at = Pixels(item.x, item.y);
  // The control takes the size of its picture, as a bitmap static does.
  const ImVec2 size = banner.texture ? ImVec2(static_cast<float>(banner.width), static_cast<float>(banner.height))
                                     : ImVec2(384, 96);
  const ImVec2 a(at.x + 1, at.y + 1), b(at.x + 1 + size.x, at.y + 1 + size.y);
  if (banner.texture) {
    ImGui::GetWindowDrawList()->AddImage(banner.texture, a, b);
  } else {
    ImGui::GetWindowDrawList()->AddRectFilled(a, b, IM_COL32(16, 24, 64, 255));
  }
  SunkenEdge(at, ImVec2(b.x, b.y));
}

void DrawFrame(const DialogItemTemplate& item) {
  const ImVec2 a = Pixels(item.x, item.y);
  const ImVec2 b = Pixels(item.x + item.cx, item.y + item.cy);
  ImDrawList* draw = ImGui::GetWindowDrawList();
  draw->AddRect(ImVec2(a.x + 1, a.y + 1), ImVec2(b.x + 1, b.y + 1), Grey(255));
  draw->AddRect(a, b, Grey(128));
}

void DrawText(const DialogItemTemplate& item) {
  const ImVec2 a = Pixels(item.x, item.y);
  const ImVec2 b = Pixels(item.x + item.cx, item.y + item.cy);
  int at;
  char letter;
  const std::string text = StripMnemonic(item.text ? item.text : "", &at, &letter);
  ImGui::SetCursorPos(a);
  // A one-line label stays on its line; taller texts wrap inside their box.
  const bool wraps = item.cy > 10;
  if (wraps) ImGui::PushTextWrapPos(b.x);
  ImGui::TextUnformatted(text.c_str());
  if (wraps) ImGui::PopTextWrapPos();
  UnderlineMnemonic(text, at, ImVec2(ImGui::GetWindowPos().x + a.x, ImGui::GetWindowPos().y + a.y));
}

void DrawDropDown(HWND dialog, const DialogItemState& state) {
  const DialogItemTemplate& item = *state.item;
  const ImVec2 a = Pixels(item.x, item.y);
  const ImVec2 size = Pixels(item.cx, item.cy);
  ImGui::SetCursorPos(a);
  ImGui::SetNextItemWidth(size.x);
  ImGui::BeginDisabled(!state.enabled);
  const char* shown = state.selection >= 0 ? state.texts[static_cast<size_t>(state.selection)].c_str() : "";
  char label[32];
  std::snprintf(label, sizeof label, "##list%d", item.id);
  // The template's height is the height of the dropped list.
  ImGui::SetNextWindowSizeConstraints(ImVec2(size.x, 0), ImVec2(size.x, size.y));
  if (ImGui::BeginCombo(label, shown)) {
    for (size_t i = 0; i < state.texts.size(); ++i) {
      ImGui::PushID(static_cast<int>(i));
      const bool selected = static_cast<int>(i) == state.selection;
      if (selected) ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1, 1, 1, 1));
      if (ImGui::Selectable(state.texts[i].c_str(), selected)) DialogUserChoose(dialog, item.id, static_cast<int>(i));
      if (selected) ImGui::PopStyleColor();
      ImGui::PopID();
    }
    ImGui::EndCombo();
  }
  ImGui::EndDisabled();
}

void DrawCheckBox(HWND dialog, const DialogItemState& state) {
  const DialogItemTemplate& item = *state.item;
  const ImVec2 a = Pixels(item.x, item.y);
  int at;
  char letter;
  const std::string text = StripMnemonic(item.text, &at, &letter);
  ImGui::SetCursorPos(a);
  ImGui::BeginDisabled(!state.enabled);
  bool checked = state.check == BST_CHECKED;
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(1, 1));
  char label[128];
  std::snprintf(label, sizeof label, "%s##check%d", text.c_str(), item.id);
  if (ImGui::Checkbox(label, &checked)) DialogUserClick(dialog, item.id);
  ImGui::PopStyleVar();
  ImGui::EndDisabled();
  const float box = ImGui::GetFrameHeight() - 2 + ImGui::GetStyle().ItemInnerSpacing.x;
  UnderlineMnemonic(text, at, ImVec2(ImGui::GetWindowPos().x + a.x + box, ImGui::GetWindowPos().y + a.y + 1));
}

void DrawButton(HWND dialog, const DialogItemState& state) {
  const DialogItemTemplate& item = *state.item;
  const ImVec2 a = Pixels(item.x, item.y);
  const ImVec2 size = Pixels(item.cx, item.cy);
  int at;
  char letter;
  const std::string text = StripMnemonic(item.text, &at, &letter);
  char label[128];
  std::snprintf(label, sizeof label, "%s##button%d", text.c_str(), item.id);
  ImGui::SetCursorPos(a);
  ImGui::BeginDisabled(!state.enabled);
  if (ImGui::Button(label, size)) DialogUserClick(dialog, item.id);
  ImGui::EndDisabled();
  // The default button has the extra dark outline.
  if (item.kind == DialogControl::DefPushButton) {
    const ImVec2 o = ImGui::GetWindowPos();
    ImGui::GetWindowDrawList()->AddRect(ImVec2(o.x + a.x - 1, o.y + a.y - 1),
                                        ImVec2(o.x + a.x + size.x + 1, o.y + a.y + size.y + 1), Grey(0));
  }
}

bool KeyPressed(SDL_Scancode key) { return ImGui::IsKeyPressed(static_cast<int>(key), false); }

// Enter, Escape and Alt+letter, while no drop-down list is open.
void HandleKeys(HWND dialog, const DialogRecord& d) {
  if (ImGui::IsPopupOpen(nullptr, ImGuiPopupFlags_AnyPopupId)) return;
  if (KeyPressed(SDL_SCANCODE_ESCAPE)) {
    DialogUserClose(dialog);
    return;
  }
  for (const auto& state : d.items) {
    const DialogItemTemplate& item = *state.item;
    if (item.kind == DialogControl::DefPushButton &&
        (KeyPressed(SDL_SCANCODE_RETURN) || KeyPressed(SDL_SCANCODE_KP_ENTER))) {
      DialogUserClick(dialog, item.id);
      return;
    }
  }
  if (!ImGui::GetIO().KeyAlt) return;
  for (const auto& state : d.items) {
    const DialogItemTemplate& item = *state.item;
    if (item.id == -1 || !item.text) continue;
    int at;
    char letter;
    StripMnemonic(item.text, &at, &letter);
    if (letter >= 'A' && letter <= 'Z' && KeyPressed(static_cast<SDL_Scancode>(SDL_SCANCODE_A + (letter - 'A')))) {
      DialogUserClick(dialog, item.id);
      return;
    }
  }
}

void DrawDialog(HWND dialog, DialogRecord& d, const Banner& banner, int width, int height) {
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(ImVec2(static_cast<float>(width), static_cast<float>(height)));
  ImGui::Begin("dialog", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                   ImGuiWindowFlags_NoBringToFrontOnFocus);
  for (const auto& state : d.items) {
    if (d.ended) break;
    switch (state.item->kind) {
      case DialogControl::Picture: DrawPicture(*state.item, banner); break;
      case DialogControl::Frame: DrawFrame(*state.item); break;
      case DialogControl::StaticText: DrawText(*state.item); break;
      case DialogControl::DropDownList: DrawDropDown(dialog, state); break;
      case DialogControl::AutoCheckBox: DrawCheckBox(dialog, state); break;
      case DialogControl::PushButton:
      case DialogControl::DefPushButton: DrawButton(dialog, state); break;
    }
  }
  if (!d.ended) HandleKeys(dialog, d);
  ImGui::End();
}

void PumpEvents(HWND dialog, SDL_Window* window) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    ImGui_ImplSDL2_ProcessEvent(&e);
    if (e.type == SDL_QUIT) DialogUserClose(dialog);
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE &&
        e.window.windowID == SDL_GetWindowID(window))
      DialogUserClose(dialog);
  }
  // Ctrl+C or SIGTERM while the dialog is up: cancelled, as by its close box.
  if (WinQuitSignal()) DialogUserClose(dialog);
}

}  // namespace

void DialogSetViewObserver(DialogViewObserver observer) { view.observer = observer; }

bool DialogViewReadPixels(std::vector<std::uint8_t>& rgb, int* width, int* height) {
  if (!view.renderer) return false;
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(view.renderer, &w, &h) != 0 || w <= 0 || h <= 0) return false;
  rgb.assign(static_cast<size_t>(w) * h * 3, 0);
  if (SDL_RenderReadPixels(view.renderer, nullptr, SDL_PIXELFORMAT_RGB24, rgb.data(), w * 3) != 0) return false;
  *width = w;
  *height = h;
  return true;
}

bool RunDialogView(DialogRecord& d) {
  HWND dialog = d.window;
  auto* window = static_cast<SDL_Window*>(WinSdlWindow(dialog));
  if (!window) return false;
  SDL_SetWindowResizable(window, SDL_FALSE);
  // A small still dialog needs no GPU: the software renderer works on every
  // display, virtual X servers included.
  view.renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!view.renderer) view.renderer = SDL_CreateRenderer(window, -1, 0);
  if (!view.renderer) {
    std::fprintf(stderr, "kavret: the set-up dialog cannot be drawn: %s\n", SDL_GetError());
    return false;
  }

  ImGuiContext* context = ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  for (const char* font : kFontFiles) {
    FILE* f = std::fopen(font, "rb");
    if (!f) continue;
    std::fclose(f);
    io.Fonts->AddFontFromFileTTF(font, kFontPixels);
    break;
  }
  ApplyClassicStyle();
  ImGui_ImplSDL2_InitForSDLRenderer(window);
  ImGui_ImplSDLRenderer_Init(view.renderer);

  int bitmap = -1;
  for (const auto& state : d.items) {
    if (state.item->kind == DialogControl::Picture) bitmap = state.item->bitmap;
  }
  const Banner banner = bitmap >= 0 ? LoadBanner(bitmap) : Banner{};
  // Some X servers place a window only once it is mapped: put it where the
  // dialog procedure moved it.
  RECT frame{};
  GetWindowRect(dialog, &frame);
  SDL_SetWindowPosition(window, frame.left, frame.top);
  SDL_RaiseWindow(window);

  for (int frame = 0; !d.ended; ++frame) {
    PumpEvents(dialog, window);
    if (d.ended) break;
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    DrawDialog(dialog, d, banner, width, height);
    ImGui::Render();
    SDL_SetRenderDrawColor(view.renderer, 192, 192, 192, 255);
    SDL_RenderClear(view.renderer);
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    if (view.observer) view.observer(dialog, frame);
    SDL_RenderPresent(view.renderer);
    // Nothing else paces the loop: about 60 frames a second.
    SDL_Delay(16);
  }

  ImGui_ImplSDLRenderer_Shutdown();
  ImGui_ImplSDL2_Shutdown();
  ImGui::DestroyContext(context);
  if (banner.texture) SDL_DestroyTexture(banner.texture);
  SDL_DestroyRenderer(view.renderer);
  view.renderer = nullptr;
  return true;
}
