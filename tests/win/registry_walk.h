#pragma once
// Walks registry keys into text, so that whole trees can be compared before and after.
#include <windows.h>

#include <map>
#include <string>

// Every key below root\path (the key itself included) as "ROOT\path" -> its values, one
// "name=type:data" line each, sorted. A missing key adds nothing.
void WalkKey(HKEY root, const char* rootName, const std::string& path, std::map<std::string, std::string>* out);
