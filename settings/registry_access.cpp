#include "settings/registry_access.h"

int ReadRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName, LPBYTE lpData, LPDWORD lpcbData)
{
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

void WriteRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName, DWORD dwType, const BYTE* lpData,
                        DWORD cbData)
{
    if (hRootKey == NULL || lpszKeyPath == NULL || lpszValueName == NULL || lpData == NULL)
        return;
    HKEY hKey = NULL;
    if (RegCreateKeyA(hRootKey, lpszKeyPath, &hKey) != ERROR_SUCCESS)
        return;
    RegSetValueExA(hKey, lpszValueName, 0, dwType, lpData, cbData);
    RegCloseKey(hKey);
}

void DeleteRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName)
{
    if (hRootKey == NULL || lpszKeyPath == NULL || lpszValueName == NULL)
        return;
    HKEY hKey = NULL;
    if (RegOpenKeyA(hRootKey, lpszKeyPath, &hKey) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(hKey, lpszValueName);
    RegCloseKey(hKey);
}

int CountSubkeys(HKEY hRootKey, LPCSTR lpszKeyPath)
{
    if (hRootKey == NULL || lpszKeyPath == NULL)
        return -1;
    HKEY hKey = NULL;
    if (RegOpenKeyA(hRootKey, lpszKeyPath, &hKey) != ERROR_SUCCESS)
        return -1;
    DWORD cSubKeys = 0;
    LONG result = RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &cSubKeys, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    return result == ERROR_SUCCESS ? (int)cSubKeys : -1;
}
