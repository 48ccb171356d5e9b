/*
 * Where the panel's configuration is found: the service provider's registry
 * key holds the INI file's path in its value "config", next to "dllname".
 */
#ifndef ZT_TTUSIM_PROVIDERREGISTRY_H
#define ZT_TTUSIM_PROVIDERREGISTRY_H

#include <windows.h>

#include <string>

/* The configuration of the provider behind a logical service
   (LOGICAL_SERVICES\<name>\provider, then SERVICE_PROVIDERS\<provider>\config).
   A relative path is taken from this DLL's folder. */
bool ConfigPathForLogicalService(const std::string &strLogicalName, std::wstring &strPath,
                                 std::string &strError);

/* For a process that only plays the operator (the console tool): the
   configuration of the first provider whose dllname is this very DLL. */
bool FindOwnConfigPath(std::wstring &strPath, std::string &strError);

/* This DLL's module handle. */
HMODULE ThisModule();

#endif
