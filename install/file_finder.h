#pragma once
// The process-wide file finder: one search at a time for the whole process.

// Starts a new search for name (a path or pattern; a leading "%" or "$" token is expanded
// first), or continues the open one when name is null or empty. kind 0 accepts files only,
// 1 folders only, any other value every entry. Returns the bare name of the entry found, valid
// until the next call, or null when nothing (more) is found; a search that runs out is closed.
const char* FindFile(const char* name, int kind);

// Whether a path names anything, or a folder, right now; unlike FindFile these leave the
// finder's open search alone and accept a path with a trailing backslash.
bool PathExists(const char* path);
bool IsFolder(const char* path);

// True when the two files differ in last-write time or in the low 32 bits of their size, or
// when either is missing. Contents are not compared. Leaves the search on `second` open.
bool FilesDiffer(const char* first, const char* second);
