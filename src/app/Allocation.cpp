// The allocation functions of Morvessa.exe. The program allocates only with the nothrow
// forms and never throws; with these, no part of the C++ runtime's exception handling
// (and its terminate handler, demangler and unwinder) is linked into the program.

#include <cstdlib>
#include <new>

void* operator new(std::size_t cb, const std::nothrow_t&) noexcept {
    return std::malloc(cb != 0 ? cb : 1);
}

void* operator new[](std::size_t cb, const std::nothrow_t&) noexcept {
    return std::malloc(cb != 0 ? cb : 1);
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete[](void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
