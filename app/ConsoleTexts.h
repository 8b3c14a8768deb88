#pragma once

#include "app/ProfileSettings.h"

void PrintBanner();
void PrintConfiguration(CProfileSettings settings);
