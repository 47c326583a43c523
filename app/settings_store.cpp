// Placeholder until the settings store lands.
#include "app/settings_store.h"
