# cmake -DSTAMP=<header> -P BuildStamp.cmake: writes the time of the build
# into the header that Unit1.cpp includes, so that Unit1.cpp, which reads
# __DATE__ and __TIME__, is compiled again, never taken from the cache.
string(TIMESTAMP now "%Y-%m-%d %H:%M:%S")
file(WRITE "${STAMP}" "// ${now}\n")
