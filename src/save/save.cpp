// Placeholder until saving lands; replaced by the real implementation.
#include "save/save.h"
void SaveNovel() {}
void RenameSave() {}
void OverwriteSave() {}
