// The hard limits of the adult vital signs shared by the early-warning
// scores (NEWS2, MEWS, qSOFA), so that each takes and refuses the same
// readings.
//
// A floor is the lowest reading of a patient still alive, not the low end of
// a ward monitor: such a reading already scores the worst its scale gives a
// low value of that sign, and refusing it would leave the sickest patient
// with no verdict at all. SpO₂ from 20 %: a patient with cyanotic heart
// disease lives at 70–85 %, and one near arrest reads far lower. Pulse from
// 10 a minute: complete heart block with a slow escape rhythm, counted by
// hand when the monitor loses it. Systolic pressure from 20 mmHg: in shock a
// Doppler probe or an arterial line reads what a cuff cannot. The ceilings
// are what monitors measure; fewer than 1 or more than 80 breaths a minute
// is no count, and a temperature outside 25–45 ℃ is no ward patient's.
//
// No include guard on purpose: each descriptor includes it once, and the
// launcher's catalogue includes every descriptor in a namespace of its own,
// where each needs its own copy.
static constexpr double vital_rr_min = 1, vital_rr_max = 80;
static constexpr double vital_spo2_min = 20, vital_spo2_max = 100;
static constexpr double vital_sbp_min = 20, vital_sbp_max = 300;
static constexpr double vital_pulse_min = 10, vital_pulse_max = 300;
static constexpr double vital_temp_min = 25, vital_temp_max = 45;
