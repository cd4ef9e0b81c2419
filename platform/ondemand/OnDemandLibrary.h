#pragma once
// Shared libraries loaded when first needed instead of at start.
//
// Some libraries are large for what a player that plays local files uses of them
// (libcurl with its TLS stack, libarchive, the resampler). The program and its modules
// link a forwarder instead (the *OnDemand.cpp files here): it defines the functions
// they call and forwards each to the real library, loaded on first use with
// LoadOnDemand() and kept for the life of the process. Forwarders are built with
// hidden visibility, so they serve their own program or module only and never stand in
// for the real functions of the library once it is loaded.
//
// Threading: any thread; concurrent first calls load once.

#include <dlfcn.h>

namespace tavora {

// The library's handle, nullptr when it cannot be loaded (said once on stderr, with
// `lost`: what does not work without it).
void* LoadOnDemand(const char* soname, const char* lost);

// The function `name` of the library, or nullptr.
template <typename F>
F OnDemandFunction(const char* soname, const char* lost, const char* name) {
    void* handle = LoadOnDemand(soname, lost);
    return handle ? reinterpret_cast<F>(dlsym(handle, name)) : nullptr;
}

}  // namespace tavora

// Defines the C function `name` to forward to the real one of `soname`; without the
// library it returns `fallback` (a value of the function's failure).
#define TAVORA_FORWARD(soname, lost, fallback, ret, name, params, args)                                \
    extern "C" ret name params {                                                                      \
        static const auto real = ::tavora::OnDemandFunction<decltype(&name)>(soname, lost, #name);     \
        return real ? real args : fallback;                                                           \
    }
#define TAVORA_FORWARD_VOID(soname, lost, name, params, args)                                         \
    extern "C" void name params {                                                                     \
        static const auto real = ::tavora::OnDemandFunction<decltype(&name)>(soname, lost, #name);     \
        if (real) real args;                                                                          \
    }
