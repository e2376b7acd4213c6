#pragma once
// A JPEG decoded by libjpeg-turbo at a reduced scale, and its fit onto the
// staging surface. Drawn by our own filter rather than through GDI+, whose
// scaling under Wine costs ten times the decode.

#include <windows.h>

#include <optional>

#include "media/jpeg_decode.h"
#include "media/jpeg_rows.h"
#include "media/photo_file.h"
#include "media/photo_fit.h"
#include "media/resample.h"
#include "media/staging_pixels.h"

// A JPEG as libjpeg-turbo takes it. One whose file ends with the end marker
// is drawn while it decodes (`rows`); one that does not, cut short or
// carrying data past the marker, is decoded whole first (`whole`), so that a
// file refused at its cut has drawn nothing. Neither when libjpeg-turbo
// refuses its header.
struct LibjpegPhoto {
  PhotoFile file;  // declared first: the rows read it to their end
  std::optional<JpegRows> rows;
  std::optional<ScaledJpeg> whole;
};

// `edge` is the staging surface's.
LibjpegPhoto LoadJpeg(const wchar_t* path, int fitMode, int edge);

// Draws the part `source` of the picture, in its pixels as stored, into
// `target` on the surface. False when nothing was drawn or, for rows, when the file
// proved damaged part-way: some bands may then be drawn.
bool DrawJpegRows(const StagingPixels& surface, JpegRows& rows, SourceRect source, FitRect target);
bool DrawScaledJpeg(const StagingPixels& surface, const ScaledJpeg& jpeg, SourceRect source, FitRect target);
