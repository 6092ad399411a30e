"""The Brivo effect catalogue as readable data; gen_catalogue.py turns it into resources.

Order matters: an effect's position in EFFECTS (from 1) is its effect number, the
line it gets in EFFECT_LIST and the number the pedal reports for it. New effects
are appended at the end whatever their category, as on the pedal.

Each effect:
  name      display name (the resource name is derived from it)
  category  one of CATEGORIES
  version   effect version, 1 to 9, written into the program header
  size      program length in bytes: 1,280 to 9,472, a multiple of 32
  about     paragraphs for the information page
  pots      pot lines of the control descriptor
  switches  switch lines "name:off:on" (one colon: both states show the same text;
            no colon: the name is shown in both states)
  multis    multi-switch lines "name;option;option..."
  help      what each parameter does, by name (falls back on GLOSSARY)
  eol       descriptor line end, "crlf" (default) or "lf"
  final_break  whether the descriptor ends with a line break (default True)
  blank_tail   whether a blank line follows the last parameter (default False)
  image     an illustration the page refers to (not carried by the catalogue)
"""

CATEGORIES = [
    ("Gain", "GAIN"),
    ("Modulation", "MODULATION"),
    ("Synthesis", "SYNTHESIS"),
    ("Filter", "FILTER"),
    ("Dynamic", "DYNAMIC"),
    ("Impulse Response", "IMPULSE_RESPONSE"),
    ("Other", "OTHER"),
]

# The impulse-response block inside three programs: first byte and number of
# 32-bit words. The IR loader splices WAV samples into exactly these bytes.
IR_REGIONS = {
    "Overdrive + Cabinet IR": (362, 703),
    "Fuzz + Cabinet IR": (370, 703),
    "Cabinet IR Basic": (230, 912),
}

# Parameter help shared by many effects; an effect's own help wins.
GLOSSARY = {
    "Level": "Output volume of the effect. Noon is roughly unity gain.",
    "Volume": "Output volume of the effect.",
    "Tone": "Brightness of the sound: lower for a darker tone, higher for more treble.",
    "Gain": "How hard the input stage is driven, from a clean lift to thick saturation.",
    "Drive": "Amount of overdrive, from a light edge of break-up to full saturation.",
    "Fuzz": "Amount of fuzz. Fully up gives the most sustain and the thickest texture.",
    "Mix": "Balance between the dry signal and the effect. Fully up is effect only.",
    "Dry": "Level of the unprocessed guitar signal mixed into the output.",
    "Rate": "Speed of the modulation.",
    "Depth": "Intensity of the modulation.",
    "Feedback": "How much of the output is fed back into the effect: more repeats or a stronger resonance.",
    "Time": "Delay time, from a short slap-back to long repeats.",
    "Bass": "Boost or cut of the low frequencies.",
    "Middle": "Boost or cut of the midrange.",
    "Treble": "Boost or cut of the high frequencies.",
    "Presence": "Adds bite in the upper treble, above the Treble control.",
    "Decay": "Length of the reverb tail.",
    "Resonance": "Emphasis at the filter frequency: higher values give a sharper, vocal peak.",
    "Sensitivity": "How strongly your picking moves the effect. Set it to match your pickups.",
    "Attack": "How fast the effect reacts when you pick a note.",
    "Tap": "Press in time with the music; the effect takes its time from the last two presses.",
    "Bright": "Adds a treble lift for darker pickups or amplifiers.",
    "Clip": "Character of the clipping stage: Soft is smooth and compressed, Hard is tighter and more aggressive.",
    "Boost": "A fixed lift in volume and gain for solos. The label stays the same in both positions: watch the pedal's light.",
    "Kill Dry": "Removes the dry signal, for use in a parallel effects loop.",
    "Tails": "Cut stops the effect at once when bypassed; Spill lets the repeats or reverb fade out naturally.",
    "Wave": "Shape of the modulation waveform.",
    "Mod Rate": "Speed of the modulation applied to the effect.",
    "Mod Depth": "Amount of modulation applied to the effect.",
    "IR Level": "Level of the cabinet impulse response.",
    "Low Cut": "Removes low frequencies below the set point, for a tighter bottom end.",
    "High Cut": "Removes high frequencies above the set point, for a smoother top end.",
    "Subdivision": "Rhythm of the repeats relative to the tapped tempo.",
}

EFFECTS = [
    # 1 -- 11: gain
    dict(
        name="Clean Boost", category="Gain", version=2, size=1280,
        about=["A transparent boost that raises your level by up to 20 dB without colouring the tone. "
               "Use it to push an amplifier into break-up, to lift a solo or to drive the next pedal harder."],
        pots=["Gain", "Level"],
        switches=["Bright:OFF:ON"],
        help={"Gain": "Amount of boost, from unity to +20 dB.",
              "Level": "Final output level after the boost stage."},
    ),
    dict(
        name="Treble Booster", category="Gain", version=1, size=1536,
        about=["A germanium-style treble booster in the spirit of the British 1960s units. "
               "It thins the low end and pushes the upper mids, making a cranked amplifier sing."],
        pots=["Boost", "Level"],
        multis=["Range;Treble;Mid;Full"],
        eol="lf",
        help={"Boost": "Amount of boost in the chosen range.",
              "Range": "Frequency range that is boosted: Treble for the classic cutting sound, Mid for a thicker lead, Full for a flat boost."},
    ),
    dict(
        name="Overdrive", category="Gain", version=3, size=1792,
        about=["A classic mid-focused overdrive. At low drive it adds warmth and sustain; turned up it gives "
               "a smooth, singing lead tone that cleans up when you roll back your guitar's volume."],
        pots=["Drive", "Tone", "Level"],
        final_break=False,
    ),
    dict(
        name="Blues Drive", category="Gain", version=2, size=2048,
        about=["A low-gain, touch-sensitive drive with a wide frequency response, voiced for blues and "
               "classic rock. Dig in for grit, play softly for a nearly clean sound."],
        pots=["Gain", "Tone", "Level", "Bass"],
        switches=["Boost"],
        blank_tail=True,
    ),
    dict(
        name="Distortion", category="Gain", version=4, size=2304,
        about=["A hard-clipping distortion for rhythm and lead. The clipping diodes can be switched between "
               "silicon and LED types, and two voicings shape the midrange."],
        pots=["Distortion", "Tone", "Level"],
        switches=["Clip:Silicon:LED"],
        multis=["Mode;Classic;Modern"],
        help={"Distortion": "Amount of distortion.",
              "Clip": "Clipping diodes: Silicon compresses more, LED is louder and more open.",
              "Mode": "Classic has a midrange hump; Modern is scooped and tighter."},
    ),
    dict(
        name="Hi-Gain Metal", category="Gain", version=5, size=2560,
        about=["A high-gain distortion with a three-band EQ and a built-in noise gate, for tight palm mutes "
               "and saturated leads."],
        pots=["Gain", "Bass", "Middle", "Treble", "Level", "Gate"],
        switches=["Scoop:OFF:ON"],
        multis=["Voicing;Tight;Thick;Brutal"],
        eol="lf",
        help={"Gate": "Threshold of the built-in noise gate. Fully down turns the gate off.",
              "Scoop": "Cuts the midrange for a classic scooped metal sound.",
              "Voicing": "Tight keeps the low end firm; Thick adds low mids; Brutal adds gain and bass."},
    ),
    dict(
        name="Silicon Fuzz", category="Gain", version=2, size=1792,
        about=["A two-transistor silicon fuzz: bright, aggressive and full of sustain."],
        pots=["Fuzz", "Tone", "Level"],
        switches=["Bias:Normal:Starved"],
        help={"Bias": "Starved lowers the supply of the fuzz stage for a sputtering, gated sound."},
    ),
    dict(
        name="Germanium Fuzz", category="Gain", version=3, size=2048,
        about=["A warm germanium fuzz that cleans up beautifully with the guitar's volume knob. "
               "Three transistor models give three flavours of vintage fuzz."],
        pots=["Fuzz", "Volume", "Bias"],
        multis=["Transistor;AC128;OC44;NKT275"],
        help={"Bias": "Operating point of the transistors: lower settings give a gated, spitty fuzz.",
              "Transistor": "Model of the germanium transistors: each has its own gain and warmth."},
    ),
    dict(
        name="Fuzz+Octave", category="Gain", version=1, size=2304,
        about=["A fuzz with an upper octave generated by full-wave rectification. Play above the 12th fret "
               "with the neck pickup for the strongest octave effect."],
        pots=["Gain", "Tone", "Level", "Dry"],
        switches=["Boost:OFF:ON", "Clip:Soft:Hard"],
        multis=["Tracking;1;2;3;4"],
        help={"Gain": "Amount of fuzz before the octave stage.",
              "Boost": "Adds a fixed lift in level for solos.",
              "Tracking": "How the octave follows your playing: 1 is smooth and slow, 4 is fast and glitchy."},
    ),
    dict(
        name="Tape Saturation", category="Gain", version=2, size=2816,
        about=["The sound of a signal driven hard onto analog tape: soft compression, warm saturation and "
               "the gentle pitch movement of a tape transport."],
        pots=["Drive", "Warmth", "Wow", "Flutter", "Level"],
        switches=["Speed:7.5 ips:15 ips"],
        help={"Drive": "How hard the signal hits the virtual tape.",
              "Warmth": "Low-end emphasis of the tape head.",
              "Wow": "Slow pitch drift of the tape transport.",
              "Flutter": "Fast pitch wobble of the tape transport.",
              "Speed": "Tape speed: 7.5 ips is darker and more saturated, 15 ips is brighter and cleaner."},
    ),
    dict(
        name="Crunch Amp", category="Gain", version=6, size=3072,
        about=["A two-channel amplifier model with a full tone stack and a speaker cabinet simulation, "
               "for playing straight into a mixer or headphones."],
        pots=["Gain", "Bass", "Middle", "Treble", "Presence", "Master"],
        switches=["Bright:OFF:ON", "Channel:Clean:Crunch"],
        multis=["Cabinet;None;1x12;2x12;4x12", "Mic;Dynamic;Ribbon;Condenser"],
        blank_tail=True,
        help={"Master": "Overall volume of the amplifier.",
              "Channel": "Clean has a lot of headroom; Crunch breaks up early.",
              "Cabinet": "Speaker cabinet simulated after the amplifier. None for use with a real cabinet.",
              "Mic": "Microphone model in front of the simulated cabinet."},
    ),
    # 12 -- 26: modulation
    dict(
        name="Chorus", category="Modulation", version=3, size=1536,
        about=["A lush analog-style chorus that doubles your signal with slightly detuned copies."],
        pots=["Rate", "Depth", "Mix", "Tone"],
        multis=["Voices;1;2;3"],
        help={"Voices": "Number of detuned copies: more voices give a wider, thicker chorus."},
    ),
    dict(
        name="Dimension Chorus", category="Modulation", version=2, size=2048,
        about=["A subtle stereo-style chorus that adds space and width without an obvious wobble. "
               "Its preset modes run from barely there to a deep shimmer."],
        pots=["Width", "Level", "Tone"],
        multis=["Mode;1;2;3;4;1+4;2+4"],
        help={"Width": "Spread between the two chorus voices.",
              "Mode": "Preset depth and speed combinations, from the subtle 1 to the deep 2+4."},
    ),
    dict(
        name="Vibrato", category="Modulation", version=1, size=1792,
        about=["Pure pitch modulation with no dry signal, from a gentle warble to a seasick bend."],
        pots=["Rate", "Depth", "Level"],
        switches=["Rise:Instant:Slow"],
        eol="lf",
        help={"Rise": "Slow lets the vibrato fade in over about a second after the pedal is switched on."},
    ),
    dict(
        name="Flanger", category="Modulation", version=4, size=2304,
        about=["A classic flanger, from a slow jet sweep to metallic comb-filter tones."],
        pots=["Rate", "Depth", "Manual", "Feedback", "Mix"],
        switches=["Polarity:Positive:Negative"],
        help={"Manual": "Centre point of the sweep.",
              "Polarity": "Sign of the feedback: Negative gives a hollow, more dramatic flange."},
    ),
    dict(
        name="Through-Zero Flanger", category="Modulation", version=2, size=3072,
        about=["A tape-style flanger whose delayed copy passes through the dry signal, giving the deep "
               "cancellation of two tape machines run side by side. It can also follow your picking."],
        pots=["Rate", "Depth", "Manual", "Feedback", "Mix"],
        switches=["Mode:Tape:Jet", "Env:OFF:ON"],
        multis=["Wave;Sine;Triangle;Square"],
        blank_tail=True,
        help={"Manual": "Centre point of the sweep.",
              "Mode": "Tape is soft and natural; Jet adds feedback colour and a steeper sweep.",
              "Env": "When on, your picking dynamics sweep the flanger instead of the LFO."},
    ),
    dict(
        name="Phaser", category="Modulation", version=3, size=2048,
        about=["A multi-stage phaser, from a gentle four-stage swirl to a deep twelve-stage sweep."],
        pots=["Rate", "Depth", "Feedback", "Mix"],
        multis=["Stages;2;4;6;8;10;12"],
        help={"Stages": "Number of all-pass stages: more stages give more notches and a stronger effect."},
    ),
    dict(
        name="Tremolo", category="Modulation", version=2, size=1536,
        about=["Amplitude modulation like the tremolo circuit of a vintage amplifier, with a choice of "
               "waveforms and a tap tempo."],
        pots=["Rate", "Depth", "Level"],
        switches=["Tap:Tap:Tap"],
        multis=["Wave;Sine;Triangle;Square;Ramp Up;Ramp Down"],
    ),
    dict(
        name="Harmonic Tremolo", category="Modulation", version=1, size=2048,
        about=["The tremolo of early 1960s amplifiers: the signal is split into bass and treble, which "
               "pulse in opposite phase for a subtle, phaser-like throb."],
        pots=["Rate", "Depth", "Crossover", "Level"],
        switches=["Bias:Even:Odd"],
        eol="lf",
        help={"Crossover": "Frequency where the signal is split into its bass and treble halves.",
              "Bias": "Even balances both halves; Odd favours the treble half for a choppier pulse."},
    ),
    dict(
        name="Rotary Speaker", category="Modulation", version=5, size=3584,
        about=["A rotating speaker cabinet with a treble horn and a bass rotor, each turning at its own speed. "
               "Switching between slow and fast, the horn and rotor speed up and slow down with their own inertia.",
               "Two microphones pick up the cabinet; move them closer for a stronger effect."],
        pots=["Horn Level", "Rotor Level", "Drive", "Mic Distance", "Acceleration"],
        switches=["Speed:Slow:Fast", "Brake:OFF:ON"],
        multis=["Cabinet;Open;Closed"],
        image=("rotary_speaker.gif", "Horn and rotor of a rotary speaker cabinet"),
        help={"Horn Level": "Level of the treble horn.",
              "Rotor Level": "Level of the bass rotor.",
              "Drive": "Overdrive of the amplifier inside the cabinet.",
              "Mic Distance": "Distance of the microphones from the cabinet: closer gives a stronger effect.",
              "Acceleration": "How quickly the horn and rotor change speed.",
              "Speed": "Slow (chorale) or fast (tremolo) rotation.",
              "Brake": "Stops the rotation; the horn and rotor stay where they are.",
              "Cabinet": "Open lets more of the horn through; Closed is darker and more focused."},
    ),
    dict(
        name="Vibe", category="Modulation", version=2, size=1792,
        about=["A photocell-based four-stage phase shifter with an uneven, throbbing sweep."],
        pots=["Speed", "Intensity", "Level"],
        switches=["Mode:Chorus:Vibrato"],
        help={"Speed": "Speed of the sweep.",
              "Intensity": "Depth of the sweep.",
              "Mode": "Chorus mixes in the dry signal; Vibrato gives pure pitch modulation."},
    ),
    dict(
        name="Ring Modulator", category="Modulation", version=1, size=2048,
        about=["Multiplies your signal with a carrier oscillator for bell-like, inharmonic and robotic tones."],
        pots=["Frequency", "Fine", "Mix", "Level"],
        switches=["Range:Low:High"],
        multis=["Carrier;Sine;Square"],
        help={"Frequency": "Frequency of the carrier oscillator.",
              "Fine": "Fine tuning of the carrier frequency.",
              "Range": "Low gives a tremolo-like throb; High gives metallic, bell-like tones.",
              "Carrier": "Waveform of the carrier: Square is harsher."},
    ),
    dict(
        name="Tape-Echo", category="Modulation", version=3, size=4096,
        about=["A multi-head tape echo. Each playback head gives its own delay; combine heads for rhythmic "
               "patterns. The repeats darken and wobble as the virtual tape ages."],
        pots=["Time", "Feedback", "Mix", "Wow", "Age", "Level"],
        switches=["Tap:Tap:Tap", "Heads:Single:Multi"],
        multis=["Head;1;2;3;1+2;2+3;1+3;1+2+3", "Spring;Off;Light;Deep"],
        eol="lf",
        help={"Time": "Tape speed, which sets the spacing of the heads.",
              "Wow": "Pitch wobble of the tape transport.",
              "Age": "Condition of the tape: higher settings give darker, grainier repeats.",
              "Heads": "Single uses the first head chosen; Multi plays all chosen heads.",
              "Head": "Playback heads that give repeats.",
              "Spring": "Amount of the built-in spring reverb."},
    ),
    dict(
        name="Analog Delay", category="Modulation", version=2, size=3072,
        about=["A bucket-brigade style delay with dark, warm repeats and a touch of modulation."],
        pots=["Time", "Feedback", "Mix", "Mod"],
        switches=["Tap:Tap:Tap"],
        help={"Mod": "Amount of chorus-like modulation on the repeats."},
    ),
    dict(
        name="Ping-Pong Delay", category="Modulation", version=4, size=3584,
        about=["A delay whose repeats alternate between two positions of the stereo image. With a mono "
               "output the spread becomes a rhythmic variation in tone."],
        pots=["Time", "Feedback", "Mix", "Spread"],
        switches=["Tap:Tap"],
        multis=["Subdivision;1/4;1/8;dotted 1/8;1/16;triplet"],
        blank_tail=True,
        help={"Spread": "How far apart the alternating repeats sit."},
    ),
    dict(
        name="Modulated Reverb", category="Modulation", version=1, size=6144,
        about=["A reverb with a slowly modulated tail, for lush chorused ambience."],
        pots=["Decay", "Mix", "Mod Rate", "Mod Depth", "Tone"],
        multis=["Size;Room;Hall"],
        help={"Size": "Size of the simulated space."},
    ),
    # 27 -- 37: synthesis
    dict(
        name="Octaver", category="Synthesis", version=2, size=2048,
        about=["A polyphonic octave generator that adds an octave below and an octave above your notes. "
               "It tracks chords as well as single notes."],
        pots=["Dry", "Sub", "Up", "Tone"],
        help={"Sub": "Level of the octave below.",
              "Up": "Level of the octave above.",
              "Tone": "Brightness of the generated octaves."},
    ),
    dict(
        name="Sub Octave", category="Synthesis", version=1, size=2048,
        about=["A monophonic analog-style octave divider with one and two octaves down. Play single notes "
               "for the cleanest tracking."],
        pots=["Dry", "Sub 1", "Sub 2", "Filter"],
        switches=["Tracking:Guitar:Bass"],
        eol="lf",
        help={"Sub 1": "Level of the octave below.",
              "Sub 2": "Level of the note two octaves below.",
              "Filter": "Low-pass filter on the sub octaves, to smooth their square-wave edge.",
              "Tracking": "Range of the pitch detection: Guitar or Bass."},
    ),
    dict(
        name="Pitch Shifter", category="Synthesis", version=3, size=3584,
        about=["Shifts your signal by a fixed interval, up to two octaves either way. In Whammy mode "
               "the Mix control becomes a pitch sweep for expression-pedal bends."],
        pots=["Mix", "Fine", "Level"],
        switches=["Mode:Fixed:Whammy"],
        multis=["Interval;-24;-12;-7;-5;-4;-3;-2;-1;+1;+2;+3;+4;+5;+7;+12;+24"],
        help={"Mix": "Balance of dry and shifted signal. In Whammy mode: position of the pitch bend.",
              "Fine": "Fine detune of the shifted signal, up to a quarter tone either way.",
              "Mode": "Fixed keeps the interval constant; Whammy bends from unison to the interval.",
              "Interval": "Shift in semitones."},
    ),
    dict(
        name="Harmonizer", category="Synthesis", version=4, size=4096,
        about=["An intelligent harmonizer that adds a second voice in the key and scale you choose, "
               "so the harmony stays in tune as you play."],
        pots=["Mix", "Voice Level", "Level"],
        multis=["Key;C;C#;D;D#;E;F;F#;G;G#;A;A#;B", "Scale;Major;Minor;Dorian;Mixolydian",
                "Interval;3rd;4th;5th;6th"],
        blank_tail=True,
        help={"Voice Level": "Level of the harmony voice.",
              "Key": "Key of the song.",
              "Scale": "Scale used to choose the harmony notes.",
              "Interval": "Interval of the harmony above the note you play."},
    ),
    dict(
        name="Detune", category="Synthesis", version=1, size=1536,
        about=["Adds a slightly detuned and delayed copy of your signal, for a studio double-tracking effect."],
        pots=["Detune", "Mix", "Delay", "Level"],
        help={"Detune": "Amount of detuning, up to a quarter tone.",
              "Delay": "Delay of the detuned copy, from a tight double to a slap."},
    ),
    dict(
        name="Mono Synth", category="Synthesis", version=5, size=4608,
        about=["Turns your guitar into a monophonic analog synthesizer: an oscillator follows your pitch "
               "and runs through a resonant filter with its own envelope. Play single notes cleanly."],
        pots=["Cutoff", "Resonance", "Attack", "Decay", "Glide", "Level"],
        switches=["Filter:LP:BP", "Env:Down:Up"],
        multis=["Wave;Saw;Square;Pulse;Triangle", "Octave;-2;-1;0;+1"],
        help={"Cutoff": "Base frequency of the filter.",
              "Attack": "Fade-in time of each note.",
              "Decay": "How quickly the filter envelope falls back.",
              "Glide": "Time the oscillator takes to slide from one note to the next.",
              "Filter": "Filter type: LP low-pass or BP band-pass.",
              "Env": "Direction of the filter envelope sweep.",
              "Wave": "Waveform of the oscillator.",
              "Octave": "Octave of the oscillator relative to your note."},
    ),
    dict(
        name="Square Synth", category="Synthesis", version=2, size=2560,
        about=["A simple, fat square-wave synth voice that follows your playing."],
        pots=["Tone", "Sustain", "Level"],
        multis=["Octave;-1;0"],
        eol="lf",
        help={"Sustain": "How long the synth voice holds after the string decays.",
              "Octave": "Play an octave below or at the pitch of your note."},
    ),
    dict(
        name="Organ Synth", category="Synthesis", version=3, size=3072,
        about=["A polyphonic organ voice built from your guitar signal, with three drawbars and key-click "
               "percussion."],
        pots=["Drawbar 16", "Drawbar 8", "Drawbar 4", "Percussion Level", "Level", "Dry"],
        switches=["Percussion:OFF:ON", "Vibrato:OFF:ON"],
        help={"Drawbar 16": "Level of the sub-octave voice.",
              "Drawbar 8": "Level of the voice at your pitch.",
              "Drawbar 4": "Level of the octave-up voice.",
              "Percussion Level": "Level of the percussive click at the start of each note.",
              "Percussion": "Switches the percussive click on.",
              "Vibrato": "Adds a gentle organ vibrato."},
    ),
    dict(
        name="Bit Crusher", category="Synthesis", version=1, size=1536,
        about=["Reduces the bit depth and sample rate of your signal, for lo-fi grit and 8-bit video game tones."],
        pots=["Bits", "Sample Rate", "Mix", "Level"],
        switches=["Filter:OFF:ON"],
        help={"Bits": "Bit depth, from 16 bits down to 1 bit.",
              "Sample Rate": "Sample rate, from 48 kHz down to a few hundred Hz.",
              "Filter": "Smooths the aliasing with a low-pass filter."},
    ),
    dict(
        name="Sample and Hold", category="Synthesis", version=2, size=2560,
        about=["A filter stepped to a new random frequency at every clock tick, for the classic "
               "bubbling synth effect."],
        pots=["Rate", "Resonance", "Range", "Mix"],
        switches=["Tap:Tap:Tap"],
        multis=["Filter;Low-Pass;Band-Pass;High-Pass"],
        help={"Rate": "Speed of the random steps.",
              "Range": "Span of the random filter frequencies.",
              "Filter": "Filter type."},
    ),
    dict(
        name="Arpeggiator", category="Synthesis", version=3, size=4096,
        about=["Chops the chord you play into a rhythmic sequence of its notes, octaves and fifths."],
        pots=["Rate", "Gate", "Mix", "Level"],
        switches=["Retrigger:Trig"],
        multis=["Steps;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16", "Direction;Up;Down;Up-Down"],
        help={"Rate": "Speed of the sequence.",
              "Gate": "Length of each step, from staccato to legato.",
              "Retrigger": "Restarts the sequence from its first step. Both positions show Trig.",
              "Steps": "Number of steps before the sequence repeats.",
              "Direction": "Order in which the steps are played."},
    ),
    # 38 -- 41: filter
    dict(
        name="Wah", category="Filter", version=2, size=1792,
        about=["A classic wah. Assign Position to the expression pedal to rock it with your foot."],
        pots=["Position", "Q", "Level"],
        multis=["Range;Low;High"],
        help={"Position": "Position of the wah pedal: heel for bass, toe for treble.",
              "Q": "Sharpness of the wah peak.",
              "Range": "Sweep range: Low for bass or baritone, High for guitar."},
    ),
    dict(
        name="Auto Wah", category="Filter", version=1, size=2048,
        about=["A wah that follows the dynamics of your picking."],
        pots=["Sensitivity", "Resonance", "Range", "Mix"],
        switches=["Direction:Up:Down"],
        help={"Range": "Span of the sweep.",
              "Direction": "Whether a harder pick sweeps the filter up or down."},
    ),
    dict(
        name="Envelope Filter", category="Filter", version=3, size=2560,
        about=["A funky envelope-controlled filter with adjustable attack and decay, and an optional "
               "drive stage before the filter."],
        pots=["Sensitivity", "Attack", "Decay", "Resonance", "Mix"],
        switches=["Drive:OFF:ON"],
        multis=["Mode;Low-Pass;Band-Pass;High-Pass"],
        eol="lf",
        help={"Decay": "How quickly the filter falls back after a note.",
              "Drive": "Adds a light overdrive before the filter.",
              "Mode": "Filter type."},
    ),
    dict(
        name="Parametric EQ", category="Filter", version=2, size=2304,
        about=["A three-band parametric equaliser with a fully adjustable middle band."],
        pots=["Low Gain", "Low Freq", "Mid Gain", "Mid Freq", "Mid Q", "High Gain", "High Freq", "Level"],
        blank_tail=True,
        help={"Low Gain": "Boost or cut of the low shelf, +/- 15 dB.",
              "Low Freq": "Corner frequency of the low shelf, 40 to 400 Hz.",
              "Mid Gain": "Boost or cut of the middle band, +/- 15 dB.",
              "Mid Freq": "Centre frequency of the middle band, 200 Hz to 5 kHz.",
              "Mid Q": "Width of the middle band: higher is narrower.",
              "High Gain": "Boost or cut of the high shelf, +/- 15 dB.",
              "High Freq": "Corner frequency of the high shelf, 2 to 12 kHz."},
    ),
    # 42 -- 43: dynamic
    dict(
        name="Compressor", category="Dynamic", version=4, size=1792,
        about=["A studio-style compressor that evens out your dynamics and adds sustain. "
               "Blend keeps the attack of your pick through the compression."],
        pots=["Sustain", "Attack", "Tone", "Level", "Blend"],
        switches=["Knee:Soft:Hard"],
        help={"Sustain": "Amount of compression.",
              "Attack": "How quickly the compressor reacts: slower lets the pick attack through.",
              "Blend": "Mix of the compressed and the uncompressed signal.",
              "Knee": "Soft compresses gradually; Hard clamps down at the threshold."},
    ),
    dict(
        name="Noise Gate", category="Dynamic", version=2, size=1280,
        about=["Silences hum and hiss between notes without cutting the tail of the notes you play."],
        pots=["Threshold", "Release", "Reduction"],
        switches=["Mode:Gate:Expander"],
        help={"Threshold": "Level below which the gate closes.",
              "Release": "How quickly the gate closes after the signal falls below the threshold.",
              "Reduction": "How much the signal is lowered when the gate is closed.",
              "Mode": "Gate cuts hard; Expander lowers the noise gradually and sounds more natural."},
    ),
    # 44 -- 46: impulse response
    dict(
        name="Overdrive + Cabinet IR", category="Impulse Response", version=2, size=4096,
        about=["An overdrive followed by a speaker cabinet impulse response that you load from a WAV file. "
               "Choose File, Load IR, then upload the effect. Until you load a response the cabinet "
               "stage passes the signal unchanged.",
               "The effect uses the first 703 samples of the file; 48 kHz files with 24 or 32 bits work best."],
        pots=["Drive", "Tone", "Level", "IR Level", "Dry"],
        switches=["IR:OFF:ON"],
        help={"Dry": "Level of the overdriven signal without the cabinet, mixed with the IR output.",
              "IR": "Switches the cabinet impulse response in or out."},
    ),
    dict(
        name="Fuzz + Cabinet IR", category="Impulse Response", version=1, size=4096,
        about=["A fuzz followed by a speaker cabinet impulse response that you load from a WAV file. "
               "Choose File, Load IR, then upload the effect.",
               "The effect uses the first 703 samples of the file; 48 kHz files with 24 or 32 bits work best."],
        pots=["Fuzz", "Tone", "Level", "IR Level"],
        switches=["Octave:OFF:ON"],
        help={"Octave": "Adds an upper octave to the fuzz."},
    ),
    dict(
        name="Cabinet IR Basic", category="Impulse Response", version=3, size=4608,
        about=["A speaker cabinet impulse response on its own, loaded from a WAV file, for use after "
               "a drive pedal or a preamp. Choose File, Load IR, then upload the effect.",
               "The effect uses the first 912 samples of the file; 48 kHz files with 24 or 32 bits work best."],
        pots=["Level", "Low Cut", "High Cut"],
    ),
    # 47 -- 52: other
    dict(
        name="Drive + Delay", category="Other", version=3, size=6144,
        about=["A complete drive and delay rig in one effect. The drive and the delay can each be switched "
               "on or off and their order reversed, and every part of both is adjustable."],
        pots=["Drive", "Tone", "Drive Level", "Time", "Feedback", "Mix", "Mod Rate", "Mod Depth",
              "High Cut", "Level"],
        switches=["Drive Stage:OFF:ON", "Delay Stage:OFF:ON", "Order:Drive First:Delay First",
                  "Clip:Soft:Hard", "Bright:OFF:ON", "Tails:Cut:Spill", "Character:Digital:Analog",
                  "Ping-Pong:OFF:ON", "Tap:Tap:Tap", "Kill Dry:OFF:ON", "Boost", "Hold:Hold"],
        multis=["Subdivision;1/4;1/8;dotted 1/8;1/16", "Delay Range;Short;Medium;Long"],
        help={"Drive Level": "Level of the drive stage.",
              "Level": "Output volume of the whole effect.",
              "High Cut": "Darkens the repeats.",
              "Drive Stage": "Switches the drive on or off.",
              "Delay Stage": "Switches the delay on or off.",
              "Order": "Which stage comes first in the chain.",
              "Character": "Digital repeats are clean; Analog repeats are darker and slightly modulated.",
              "Ping-Pong": "Alternates the repeats between the two sides of the stereo image.",
              "Hold": "Freezes the current repeats while held. Both positions show Hold.",
              "Delay Range": "Range of the Time control: Short up to 300 ms, Medium up to 800 ms, Long up to 2 s."},
    ),
    dict(
        name="Spring Reverb", category="Other", version=2, size=4608,
        about=["The splashy spring reverb of a classic combo amplifier."],
        pots=["Dwell", "Mix", "Tone"],
        switches=["Drip:OFF:ON"],
        help={"Dwell": "How hard the signal drives the springs: more gives a longer, splashier sound.",
              "Drip": "Emphasises the dripping sound of the springs when you pick hard."},
    ),
    dict(
        name="Hall Reverb", category="Other", version=4, size=9472,
        about=["A large, smooth concert-hall reverb with adjustable pre-delay and damping."],
        pots=["Decay", "Pre-Delay", "Mix", "Tone", "Damping"],
        switches=["Size:Medium:Large"],
        help={"Pre-Delay": "Time before the reverb starts, to keep your notes clear.",
              "Damping": "How quickly the high frequencies die away in the tail.",
              "Size": "Size of the hall."},
    ),
    dict(
        name="Shimmer Reverb", category="Other", version=2, size=8192,
        about=["A long reverb whose tail is pitch-shifted as it decays, for ethereal, organ-like pads."],
        pots=["Decay", "Mix", "Shimmer", "Tone"],
        multis=["Interval;Octave;Fifth;Fourth"],
        help={"Shimmer": "Level of the pitch-shifted part of the tail.",
              "Interval": "Interval of the shimmer above your note."},
    ),
    dict(
        name="Volume Swell", category="Other", version=1, size=1536,
        about=["Fades in every note automatically, removing the pick attack for violin-like swells."],
        pots=["Attack", "Sensitivity", "Level"],
        help={"Attack": "Fade-in time of each note.",
              "Sensitivity": "How soft a new note may be and still start a new swell."},
    ),
    dict(
        name="Stutter", category="Other", version=3, size=2048,
        about=["A rhythmic volume chopper, like flicking a kill switch in time with the music."],
        pots=["Rate", "Depth", "Mix"],
        switches=["Sync:Free:Tap"],
        multis=["Division;1/4;1/8;1/16;1/32"],
        eol="lf",
        help={"Rate": "Speed of the chopping when Sync is Free.",
              "Depth": "How far the volume drops in each gap.",
              "Sync": "Free runs at the Rate setting; Tap follows the tapped tempo.",
              "Division": "Rhythm of the chopping relative to the tapped tempo."},
    ),
    # 53 onwards: added later
    dict(
        name="XTRA Drive", category="Gain", version=4, size=2560,
        about=["A hot-rodded overdrive with a second gain stage. The Xtra switch engages the second stage "
               "for lead tones; Boost Level sets how much louder the lead is."],
        pots=["Drive", "Tone", "Level", "Boost Level"],
        switches=["Xtra:OFF:ON", "Mids:Flat:Push"],
        help={"Boost Level": "Extra output level while the second stage is on.",
              "Xtra": "Engages the second gain stage.",
              "Mids": "Push adds a midrange hump that helps leads cut through."},
    ),
    dict(
        name="Flux Delay", category="Modulation", version=2, size=5120,
        about=["An experimental delay whose repeats drift, reverse and scatter in time."],
        pots=["Time", "Feedback", "Mix", "Flux", "Drift", "Level"],
        switches=["Reverse:OFF:ON", "Tap:Tap:Tap", "Kill Dry:OFF:ON"],
        multis=["Pattern;Straight;Swing;Scatter"],
        eol="lf",
        help={"Flux": "How far each repeat may wander from the set time.",
              "Drift": "Pitch drift of the repeats.",
              "Reverse": "Plays the repeats backwards.",
              "Pattern": "Rhythmic pattern of the repeats."},
    ),
    dict(
        name="Octave X Fuzz", category="Gain", version=1, size=2816,
        about=["A fuzz multiplied by octaves: an upper octave, a sub octave or both are blended into a "
               "thick, synth-like fuzz."],
        pots=["Fuzz", "Octave", "Tone", "Level"],
        switches=["Sub:OFF:ON"],
        multis=["Octave Mode;Up;Down;Up+Down"],
        eol="lf",
        help={"Octave": "Level of the octave voices.",
              "Sub": "Adds a second sub octave two octaves down.",
              "Octave Mode": "Which octave voices are added to the fuzz."},
    ),
    dict(
        name="Cabinet IR + EQ", category="Impulse Response", version=2, size=5120,
        about=["A set of built-in speaker cabinet responses followed by a three-band equaliser. "
               "The cabinets are part of the effect: this effect takes no response from a WAV file."],
        pots=["Bass", "Middle", "Treble", "Level", "Low Cut", "High Cut"],
        multis=["Cabinet;1x12 Open;2x12 Closed;4x12 Vintage;4x12 Modern"],
        eol="lf",
        help={"Cabinet": "Built-in speaker cabinet."},
    ),
    dict(
        name="Freeze", category="Synthesis", version=3, size=3072,
        about=["Captures the sound you are playing and sustains it indefinitely, so you can play over "
               "your own drone."],
        pots=["Mix", "Fade In", "Fade Out"],
        switches=["Freeze:Hold", "Latch:Momentary:Latch"],
        eol="lf", blank_tail=True,
        help={"Mix": "Level of the frozen sound against your playing.",
              "Fade In": "How quickly the frozen sound appears.",
              "Fade Out": "How quickly it fades when released.",
              "Freeze": "Captures the sound. Both positions show Hold.",
              "Latch": "Momentary holds only while the switch is held; Latch holds until pressed again."},
    ),
    dict(
        name="Tuner", category="Other", version=1, size=1280,
        about=["A chromatic tuner shown on the pedal's lights. The output can be muted while tuning."],
        pots=["Reference"],
        switches=["Output:Mute:Thru"],
        help={"Reference": "Reference pitch of A, from 430 to 450 Hz; noon is 440 Hz.",
              "Output": "Mute silences the output while tuning; Thru lets the guitar through."},
    ),
]
