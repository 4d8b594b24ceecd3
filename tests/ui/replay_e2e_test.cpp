// placeholder
#include "ui_fixture.h"
