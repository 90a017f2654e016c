#include "battle/result_dialog.h"
