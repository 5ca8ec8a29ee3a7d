// The image reader's own code, in a file of its own so that it alone is built
// with the flags that make its habits on corrupt files defined (see
// CMakeLists.txt).
#define STB_IMAGE_IMPLEMENTATION
// Long, readable failure reasons ("Image not of any known type, or corrupt").
#define STBI_FAILURE_USERMSG
#include <stb_image.h>
