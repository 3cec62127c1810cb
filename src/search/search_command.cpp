// Placeholder until the search command lands; replaced by the real implementation.
#include "search/search.h"
void PressSearchButton() {}
void RunSearchCooldown() {}
void SourceASearch() {}
void SourceBSearch() {}
void SourceCSearch() {}
void ShowResult(int) {}
void SetCooldownTickMs(int) {}
