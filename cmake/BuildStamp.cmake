# cmake -DSTAMP=<header> -P BuildStamp.cmake: writes the time into the header
# that Unit1.cpp includes. The build runs it when a source of the client
# changed, so that Unit1.cpp, which reads __DATE__ and __TIME__, is compiled
# again with this build's time and never taken from the compiler cache.
string(TIMESTAMP now "%Y-%m-%d %H:%M:%S")
file(WRITE "${STAMP}" "// ${now}\n")
