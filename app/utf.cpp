#include "app/utf.h"
