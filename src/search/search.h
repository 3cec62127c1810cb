#pragma once
// The search button in its three roles, the cooldown, the three source searches and the five
// result buttons. Handlers run on the window's thread; searches run on threads of their own.

#include "app/runtime.h"

void PressSearchButton();  // click of 搜索_超级按钮, and Enter in 搜索_编辑框
void RunSearchCooldown();
void SourceASearch();
void SourceBSearch();
void SourceCSearch();
void ShowResult(int n);  // click of 搜索_超级按钮n

// The cooldown's one-second tick; tests shorten it.
void SetCooldownTickMs(int ms);
