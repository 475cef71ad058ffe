// The tunes' instruments, synthesised: looped tones whose loops hold a whole
// number of cycles of every partial (so they loop without a seam), and
// one-shot percussion.
#pragma once

#include "XmWriter.h"

namespace soundgen::instruments {

xm::Instrument Pad();       // soft detuned choir-like pad, slow swell
xm::Instrument Bell();      // glassy bell, one shot with a long ring
xm::Instrument SoftBass();  // round sine-and-triangle bass
xm::Instrument PluckBass(); // filtered saw bass with a bright attack
xm::Instrument Lead();      // mellow pulse lead with vibrato
xm::Instrument Pluck();     // marimba-like pluck for arpeggios
xm::Instrument Kick();
xm::Instrument Snare();
xm::Instrument HiHat();
xm::Instrument Shaker();

} // namespace soundgen::instruments
