#include "travel/travel_screen.h"
