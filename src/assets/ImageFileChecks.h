#pragma once

#include <cstdio>
#include <string>

// What the image reader (stb_image as Debian ships it) cannot survive,
// found in a file before the reader sees it: a JPEG Huffman table of more
// than 256 codes, which it writes past its table on; a PNM header number
// beyond what an int holds, which it overflows on; a TGA or uncompressed BMP
// file too short for the pixels its header gives, which it decodes for
// seconds from nothing.
// Empty when there is none of them; otherwise why the file is refused. The
// file is left at its start.
std::string imageReaderProblem(std::FILE* file);
