#pragma once
#include <string>
// Writes OUTDIR/manifest.txt: one line per file under OUTDIR (sorted by path)
// with its size and FNV-1a 64-bit checksum.
bool WriteManifest(const std::string& outDir);
