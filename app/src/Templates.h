#pragma once
// The program's two dialog templates, kept as data.
#include <platform/Dialog.h>

const platform::DialogTemplate& MainDialogTemplate();   // 102
const platform::DialogTemplate& AboutDialogTemplate();  // 100
