#include "engine/Biquad.h"
