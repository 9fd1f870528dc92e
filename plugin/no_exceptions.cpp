// Memory for the plug-in's standard containers and strings in a build
// without exceptions. Their runtime, with the threads library that the
// posix thread model brings along, would be most of the DLL; without it,
// the standard library's error paths have nothing to throw. Running out of
// memory, a container asked to grow past its limit, a string made from a
// null pointer or a view cut past its end ends the process at once instead
// of going on with a broken value.
#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void CannotContinue() { std::abort(); }

}  // namespace

void* operator new(std::size_t size) {
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    CannotContinue();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

// What the library's templates call in place of a throw; the optimiser
// proves most of these calls unreachable, a debugging build keeps them all.
namespace std {
void __throw_bad_alloc() { CannotContinue(); }
void __throw_bad_array_new_length() { CannotContinue(); }
void __throw_length_error(const char*) { CannotContinue(); }
void __throw_logic_error(const char*) { CannotContinue(); }
void __throw_out_of_range_fmt(const char*, ...) { CannotContinue(); }
}  // namespace std
