#pragma once
// The live settings of the process and their INI file beside the program.

#include <windows.h>

#include "settings/saver_settings.h"

struct IDirect3D9;

extern SaverSettings saverSettings;
extern MediaList photoEntries;
extern MediaList musicEntries;
// 0, 1 or 2: the pixel-shader capability that bounds the colour effects.
extern int pixelShaderLevel;

// Reads the file (or takes the defaults) and checks the graphics adapter,
// through `d3d` when the caller has a Direct3D object to hand (making one is
// slow). The record is valid either way; E_FAIL only says the file was not read.
HRESULT LoadSettings();
HRESULT LoadSettings(IDirect3D9* d3d);
HRESULT ReadSettingsFile();
// Writes the whole file anew. The previous file is replaced only once the new
// one is complete, so a failed save leaves the old settings in place.
HRESULT SaveSettingsFile();
void ResetSettings();
HRESULT CheckGraphicsCaps();
HRESULT CheckGraphicsCaps(IDirect3D9* d3d);
void LimitEffectsToShaderLevel();

// Tests point the store at a program file in a folder of their own; the
// settings file is still found by the same rule. nullptr restores the module.
void SetSettingsProgramPathForTesting(const wchar_t* programFile);

// The capability check's message boxes; tests replace them so they never block.
using CapsMessageBoxFn = int (*)(const wchar_t* text, const wchar_t* caption);
void SetCapsMessageBoxForTesting(CapsMessageBoxFn show);
