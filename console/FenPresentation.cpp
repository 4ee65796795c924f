#include "console/FenPresentation.h"
