#pragma once
// A JPEG decoded by libjpeg-turbo at a reduced scale, and its fit onto the
// staging surface. Drawn by our own filter rather than through GDI+, whose
// scaling under Wine costs ten times the decode.

#include <windows.h>

#include <optional>

#include "media/jpeg_decode.h"
#include "media/photo_fit.h"

// nullopt when libjpeg-turbo refuses the file. `edge` is the staging surface's.
std::optional<ScaledJpeg> LoadScaledJpeg(const wchar_t* path, int fitMode, int edge);

// Draws the part of the picture given in the pixels of the picture as stored
// (x, y, width, height) into `target` on `dc`. False when nothing was drawn.
bool DrawScaledJpeg(HDC dc, const ScaledJpeg& jpeg, double x, double y, double width, double height, FitRect target);
