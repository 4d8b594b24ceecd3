// Window-manager behaviour that needs a real X server: frames, the empty title bar, on-top.
#include "ui_fixture.h"
