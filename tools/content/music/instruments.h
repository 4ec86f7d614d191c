// The instrument palette of the demo's music, synthesised from scratch. Each
// maker takes the module's BPM because XM envelopes count in ticks.
#pragma once

#include "tools/content/music/xm_writer.h"

// Drums and noises: unpitched, meant to be played on C-4.
XmInstrument MakeKick(int bpm);       // punchy four-on-the-floor kick
XmInstrument MakeHeavyKick(int bpm);  // long, low, driven kick
XmInstrument MakeSnare(int bpm);      // tone body plus noise, a short room tail
XmInstrument MakeClap(int bpm);       // three bursts and a tail
XmInstrument MakeClosedHat(int bpm);
XmInstrument MakeOpenHat(int bpm);
XmInstrument MakeCrash(int bpm);  // looped spectral noise with a long decay
XmInstrument MakeSwell(int bpm);  // the crash's noise rising: a riser into a section
XmInstrument MakeTom(int bpm);    // pitched sine drop; follows the note played

// Pitched instruments, in tune with A-4 at 440 Hz.
XmInstrument MakePluckBass(int bpm);  // saw with a decaying filter
XmInstrument MakeReeseBass(int bpm);  // two detuned saws, driven
XmInstrument MakeSubBass(int bpm);    // round, nearly sine
XmInstrument MakeSawPad(int bpm);     // detuned saws, wide and bright
XmInstrument MakeChoir(int bpm);      // dark vowel pad
XmInstrument MakeStrings(int bpm);    // warm string pad, slow attack
XmInstrument MakeLead(int bpm);       // supersaw lead with delayed vibrato
XmInstrument MakeChip(int bpm);       // 25% pulse for arpeggios
XmInstrument MakeElectricPiano(int bpm);
XmInstrument MakeBell(int bpm);
