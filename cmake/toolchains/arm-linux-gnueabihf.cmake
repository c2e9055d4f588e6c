# Cross build for 32-bit ARM boards: ARMv7-A, hard-float, with NEON; the
# programs run under qemu-user.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(VORSAN_CROSS_TRIPLE arm-linux-gnueabihf)
set(VORSAN_CROSS_EMULATOR qemu-arm-static)
set(CMAKE_C_FLAGS_INIT "-march=armv7-a -mfpu=neon-vfpv4 -mfloat-abi=hard")
# -Wno-psabi: GCC notes an ABI change of GCC 7.1 on every std::vector
# iterator passed by value; nothing here is linked against such old code.
set(CMAKE_CXX_FLAGS_INIT "-march=armv7-a -mfpu=neon-vfpv4 -mfloat-abi=hard -Wno-psabi")
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
