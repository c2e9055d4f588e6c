# Cross build for 64-bit ARM (aarch64); the programs run under qemu-user.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VORSAN_CROSS_TRIPLE aarch64-linux-gnu)
set(VORSAN_CROSS_EMULATOR qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
