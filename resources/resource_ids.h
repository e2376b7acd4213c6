#pragma once
// Resource ids shared by the .rc and the code. Plain #defines: windres reads this.

#define IDI_BRINDORA 100
