// Included after a file's headers: the DEFINE_GUIDs that follow define the
// identities instead of declaring them.
#define INITGUID

#include "guiddef.h"
