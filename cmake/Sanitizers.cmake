# Sanitizer and fuzzing flags shared by every target of the build.
if(TEVARO_SANITIZE)
    set(_san "-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer")
    if(TEVARO_FUZZ)
        # Coverage instrumentation for the code the fuzz targets reach.
        set(_san "${_san} -fsanitize=fuzzer-no-link")
    endif()
    set(CMAKE_CXX_FLAGS "${CMAKE_CXX_FLAGS} ${_san}")
    set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -fsanitize=address,undefined")
    set(CMAKE_SHARED_LINKER_FLAGS "${CMAKE_SHARED_LINKER_FLAGS} -fsanitize=address,undefined")
endif()
if(TEVARO_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TEVARO_FUZZ needs clang")
endif()
