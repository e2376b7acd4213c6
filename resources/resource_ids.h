#pragma once
// Resource ids shared by the .rc and the code. Plain #defines: windres reads this.

#define IDI_BRINDORA 100

// Compiled pixel shaders, resource type "SHADER".
#define IDR_SHADER_ORIGINAL 144
#define IDR_SHADER_BLACK_WHITE 146
#define IDR_SHADER_TINT_PS11 147
#define IDR_SHADER_TINT_PS14 148
