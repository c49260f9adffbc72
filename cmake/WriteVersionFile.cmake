# cmake -DOUT=<file> -DVERSION=<a.b.c.d> -P WriteVersionFile.cmake
# The servers' version file: the version and nothing else.
file(WRITE "${OUT}" "${VERSION}")
