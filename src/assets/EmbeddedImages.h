#pragma once

#include <string>
#include <vector>

// Images a level carries inside itself (a .glb's, or a glTF data URI's),
// kept as their file bytes under a name of their own, "<level file>*<n>",
// until the texture cache decodes them, with the same checks as an image
// file. The importer that held them is gone by then.

// The name an embedded image of `levelFile` goes by: the level's path and
// the importer's "*n".
std::string embeddedImageName(const std::string& levelFile, const std::string& importerName);

// Keeps a copy of the bytes under `name` (the first copy of a name stays).
// Safe to call from more than one thread.
void keepEmbeddedImage(const std::string& name, const unsigned char* bytes, std::size_t size);

// The bytes kept under `name`, or null when none are.
const std::vector<unsigned char>* embeddedImage(const std::string& name);
