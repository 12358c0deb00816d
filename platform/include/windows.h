// The Win32 subset that the settings page and the test screen call.
#pragma once

#include "windef.h"
#include "guiddef.h"
#include "winerror.h"
#include "winbase.h"
#include "winreg.h"
#include "wingdi.h"
#include "winuser.h"
#include "libloaderapi.h"
#include "winuser_dialog.h"
