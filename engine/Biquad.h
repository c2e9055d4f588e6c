struct Biquad { float b0=0; };
