#include "story/story_screen.h"
