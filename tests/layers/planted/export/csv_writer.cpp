// #include "shell/program.h" is a comment, not an include.
#include "export/export_dialog.h"
