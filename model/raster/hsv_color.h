// Colour conversion between red, green, blue and hue (degrees), saturation
// ([0, 1]) and value (the channels' own scale), all in floats.
#pragma once

// Writes nothing for a hue above 360 or at or below -60: the outputs keep
// what they held.
void HsvToRgb(float h, float s, float v, float* r, float* g, float* b);
// The hue comes out in [0, 360); grey and black give hue 0.
void RgbToHsv(float r, float g, float b, float* h, float* s, float* v);
