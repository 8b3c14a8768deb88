// Asks for more memory than any process can have and does not catch the
// std::bad_alloc that follows, as Quillmere.exe would not; linked exactly as
// Quillmere.exe is, so that it ends the way Quillmere.exe would.

#include <cstddef>
#include <new>

int main()
{
    // Unknown to the compiler, so that the request is really made.
    volatile std::size_t cbAll = static_cast<std::size_t>(-1);
    ::operator delete(::operator new(cbAll));
    return 0;
}
