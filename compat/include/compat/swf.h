// The SWF library calls the SWF writer makes: a movie of JPEG bitmaps, one
// bitmap shown per frame, saved as a standard SWF file.
#pragma once

typedef struct SWFMovie_s* SWFMovie;
typedef struct SWFInput_s* SWFInput;
typedef struct SWFJpegBitmap_s* SWFJpegBitmap;
typedef struct SWFBlock_s* SWFBlock;
typedef struct SWFDisplayItem_s* SWFDisplayItem;

int Ming_init();
SWFMovie newSWFMovie();
void destroySWFMovie(SWFMovie movie);
void SWFMovie_setRate(SWFMovie movie, float rate);
void SWFMovie_setDimension(SWFMovie movie, float width, float height);
void SWFMovie_setNumberOfFrames(SWFMovie movie, int frames);
// The input takes the buffer (allocated with malloc) and frees it.
SWFInput newSWFInput_allocedBuffer(unsigned char* buffer, int length);
void destroySWFInput(SWFInput input);
// The bitmap takes the input; null when the input holds no JPEG stream.
SWFJpegBitmap newSWFJpegBitmap_fromInput(SWFInput input);
void destroySWFJpegBitmap(SWFJpegBitmap bitmap);
// Shows the bitmap, filling the movie, from the current frame on. Null when
// the movie cannot take another one (its 16-bit counters are exhausted).
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFJpegBitmap bitmap);
void SWFMovie_nextFrame(SWFMovie movie);
// Writes the movie; the path is 8-bit (ANSI) in the program's form. Level -1
// (the default) or 0 writes it uncompressed, 1..9 zlib-compressed. Bytes
// written, or -1.
int SWFMovie_save(SWFMovie movie, const char* filename, int level);
