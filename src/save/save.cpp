// Placeholder until saving lands; replaced by the real implementation.
#include "save/save.h"
SaveOutcome SaveNovel() { return SaveOutcome::Failed; }
void RenameSave() {}
void OverwriteSave() {}
