// One move-only owner for every kind of system handle. The traits say what
// "no handle" is for the kind and how it is given back; put() hands the
// slot to a call that fills it in.
#pragma once

#include <windows.h>

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() : value_(Traits::empty()) {}
    explicit UniqueHandle(Type value) : value_(value) {}
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const { return value_; }
    bool valid() const { return value_ != Traits::empty(); }
    explicit operator bool() const { return valid(); }

    Type release() {
        Type value = value_;
        value_ = Traits::empty();
        return value;
    }

    void reset(Type value = Traits::empty()) {
        if (valid()) Traits::close(value_);
        value_ = value;
    }

    // The address of an emptied slot, for calls that return a handle through
    // an out parameter.
    Type* put() {
        reset();
        return &value_;
    }

private:
    Type value_;
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type empty() { return nullptr; }
    static void close(Type h) { CloseHandle(h); }
};

struct PipeEndTraits {
    using Type = HANDLE;
    static Type empty() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type empty() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { FindClose(h); }
};

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type empty() { return nullptr; }
    static void close(Type h) { RegCloseKey(h); }
};

struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type empty() { return nullptr; }
    static void close(Type h) { GlobalFree(h); }
};

struct HeapMemoryTraits {
    using Type = void*;
    static Type empty() { return nullptr; }
    static void close(Type p) { HeapFree(GetProcessHeap(), 0, p); }
};

struct MappedViewTraits {
    using Type = void*;
    static Type empty() { return nullptr; }
    static void close(Type p) { UnmapViewOfFile(p); }
};

struct ModuleTraits {
    using Type = HMODULE;
    static Type empty() { return nullptr; }
    static void close(Type h) { FreeLibrary(h); }
};

template <typename Interface>
struct ComPointerTraits {
    using Type = Interface*;
    static Type empty() { return nullptr; }
    static void close(Type p) { p->Release(); }
};

using ProcessHandle = UniqueHandle<KernelHandleTraits>;
using ThreadHandle = UniqueHandle<KernelHandleTraits>;
using EventHandle = UniqueHandle<KernelHandleTraits>;
using JobHandle = UniqueHandle<KernelHandleTraits>;
using KernelObject = UniqueHandle<KernelHandleTraits>;  // a named mutex or section
using FileHandle = UniqueHandle<PipeEndTraits>;
using PipeEnd = UniqueHandle<PipeEndTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using HeapMemory = UniqueHandle<HeapMemoryTraits>;
using ModuleHandle = UniqueHandle<ModuleTraits>;
using MappedView = UniqueHandle<MappedViewTraits>;
template <typename Interface>
using ComPointer = UniqueHandle<ComPointerTraits<Interface>>;

// Runs a roll-back unless release() says the set-up it guards went through.
template <typename Action>
class ScopeGuard {
public:
    explicit ScopeGuard(Action action) : action_(action) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ~ScopeGuard() {
        if (armed_) action_();
    }
    void release() { armed_ = false; }

private:
    Action action_;
    bool armed_ = true;
};

template <typename Action>
ScopeGuard<Action> makeScopeGuard(Action action) {
    return ScopeGuard<Action>(action);
}

// A critical section held for one scope.
class LockGuard {
public:
    explicit LockGuard(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
    ~LockGuard() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION& section_;
};

// A mutex held for one scope, waited for at most `ms`. Released at the end
// only when it was acquired: an abandoned mutex is acquired too, a time-out
// or a failed wait is not.
class MutexLock {
public:
    MutexLock(HANDLE mutex, DWORD ms) : mutex_(mutex) {
        const DWORD result = WaitForSingleObject(mutex, ms);
        acquired_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;
    ~MutexLock() {
        if (acquired_) ReleaseMutex(mutex_);
    }
    bool acquired() const { return acquired_; }

private:
    HANDLE mutex_;
    bool acquired_;
};
