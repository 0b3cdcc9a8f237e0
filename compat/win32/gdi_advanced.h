// GDI calls the program itself never makes, kept inside compat for the
// metafile player: world transforms, paths and the miter limit.
#pragma once

#include "compat/win32/gdi.h"

struct XFORM {
  FLOAT eM11;
  FLOAT eM12;
  FLOAT eM21;
  FLOAT eM22;
  FLOAT eDx;
  FLOAT eDy;
};

#define MWT_IDENTITY 1
#define MWT_LEFTMULTIPLY 2
#define MWT_RIGHTMULTIPLY 3

// Under GM_ADVANCED a point goes through the world transform, then the
// mapping mode: x' = x * eM11 + y * eM21 + eDx, y' = x * eM12 + y * eM22 + eDy.
BOOL SetWorldTransform(HDC hdc, const XFORM* lpxf);
BOOL GetWorldTransform(HDC hdc, XFORM* lpxf);
BOOL ModifyWorldTransform(HDC hdc, const XFORM* lpxf, DWORD mode);
// out = first applied, then second.
BOOL CombineTransform(XFORM* lpxfOut, const XFORM* lpxf1, const XFORM* lpxf2);

BOOL SetMiterLimit(HDC hdc, FLOAT limit, FLOAT* old);
BOOL GetMiterLimit(HDC hdc, FLOAT* plimit);

// Paths: while one is open every line, curve, shape and text call records its
// outline into it (in device coordinates) instead of drawing.
BOOL BeginPath(HDC hdc);
BOOL EndPath(HDC hdc);
BOOL AbortPath(HDC hdc);
BOOL CloseFigure(HDC hdc);
BOOL FillPath(HDC hdc);
BOOL StrokePath(HDC hdc);
BOOL StrokeAndFillPath(HDC hdc);
BOOL SelectClipPath(HDC hdc, int mode);
