# What both cross toolchains share: Debian's cross compiler for the target
# triple VORSAN_CROSS_TRIPLE, the target's libraries and headers under
# /usr/<triple>, and qemu-user to run the programs (binfmt need not be set
# up: the emulator is called explicitly, with the target's libraries).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${VORSAN_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VORSAN_CROSS_TRIPLE}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${VORSAN_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VORSAN_CROSS_EMULATOR} -L /usr/${VORSAN_CROSS_TRIPLE})
