#include "Version.h"

#include <cstdio>

int main(int, char**) {
    std::printf("trovi %s\n", TROVI_VERSION);
    return 0;
}
