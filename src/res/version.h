// The product's version: the one place it is set. The version resource reads
// it, and scripts/package names and versions the installer package from it.
#ifndef FILMCORE_VERSION_H
#define FILMCORE_VERSION_H

#define FILMCORE_VERSION_MAJOR 5
#define FILMCORE_VERSION_MINOR 2
#define FILMCORE_VERSION_PATCH 1

#define FILMCORE_TEXT_OF(x) #x
#define FILMCORE_VERSION_JOIN(a, b, c) FILMCORE_TEXT_OF(a) "." FILMCORE_TEXT_OF(b) "." FILMCORE_TEXT_OF(c)
#define FILMCORE_VERSION_TEXT \
    FILMCORE_VERSION_JOIN(FILMCORE_VERSION_MAJOR, FILMCORE_VERSION_MINOR, FILMCORE_VERSION_PATCH)

#endif
