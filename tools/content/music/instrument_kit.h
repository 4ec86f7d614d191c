// Helpers the instrument makers share: wrapping a sample as an instrument and
// setting envelopes in seconds rather than ticks.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

#include "tools/content/music/instruments.h"
#include "tools/content/music/synth.h"

// An instrument whose one sample plays on every note.
XmInstrument OneSample(const char* name, XmSample sample);

// Volume envelope from (seconds, value 0..64) points at the module's BPM; a
// tick lasts 2.5 / BPM seconds. sustain is a point index or -1.
void SetVolumeEnvelope(XmInstrument& ins, int bpm, std::initializer_list<std::pair<double, int>> points, int sustain);

// Fadeout that silences a released note in about `seconds`.
std::uint16_t FadeoutFor(double seconds, int bpm);

// A short linear fade at the end, so one-shots stop without a click.
void FadeTail(std::vector<double>& x, double rate, double seconds);
