#pragma once
// Build glue for binaries whose platform has no native module resources: the
// sources the build generates for a binary (cmake/VarnelResources.cmake)
// register its resource files and version strings here from static
// initialisers, before main or when the library is loaded. Tables registered
// first are searched first by findResource.
//
// Not thread-safe: registration happens during static initialisation only.

#include <cstddef>

struct EmbeddedResource {
    const char* name; // upper case, without extension
    const unsigned char* data;
    std::size_t size;
};

struct EmbeddedResourceTable {
    const EmbeddedResource* entries;
    std::size_t count;
    EmbeddedResourceTable* next; // set by registerResourceTable
};

// The table must live as long as the module (a static object).
bool registerResourceTable(EmbeddedResourceTable& table);
// The registered tables, first registered first.
const EmbeddedResourceTable* firstResourceTable();

// The version strings of the binary, by VersionField index (null: absent).
struct CompiledVersionStrings {
    const char* fields[8];
};
bool registerCompiledVersionStrings(const CompiledVersionStrings& strings);
const CompiledVersionStrings* compiledVersionStrings();
