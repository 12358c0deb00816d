#include "propsheet/read_registry_value.h"

int ReadRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName, LPBYTE lpData, LPDWORD lpcbData) {
    if (hRootKey == NULL || lpszKeyPath == NULL || lpszValueName == NULL || lpData == NULL || lpcbData == NULL)
        return 0;
    HKEY hKey = NULL;
    LONG openResult = RegOpenKeyA(hRootKey, lpszKeyPath, &hKey);
    LONG queryResult = ERROR_FILE_NOT_FOUND;
    if (openResult == ERROR_SUCCESS) {
        queryResult = RegQueryValueExA(hKey, lpszValueName, NULL, NULL, lpData, lpcbData);
        RegCloseKey(hKey);
    }
    return openResult == ERROR_SUCCESS && queryResult == ERROR_SUCCESS;
}
