#include "core/Application.h"

int main() {
    return runApplication();
}
