#include "program/program.h"
#include "export/export_dialog.h"
#include "shell/main_window.h"
