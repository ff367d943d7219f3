// The object runtime: a registry of classes, interned selectors and per-class method
// tables with type encodings. Host processes and the plug-ins they load link one copy
// of this library, so a method replaced by a plug-in is the method the host calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>

struct objc_class;
struct objc_selector;
struct objc_method;

using Class = objc_class*;
using SEL = const objc_selector*;
using IMP = void (*)();
using Method = objc_method*;
using BOOL = bool; // the 64-bit platform's BOOL, encoded "B"

inline constexpr BOOL YES = true;
inline constexpr BOOL NO = false;

// Every object the runtime can message. `isa` names the object's class in the
// registry; objects of classes that live only in C++ leave it null.
struct objc_object {
    Class isa = nullptr;
    virtual ~objc_object() = default;
};
using id = objc_object*;

// Raised for a message that the receiver's class cannot answer, or one sent with
// argument types that differ from the method's type encoding.
class objc_exception : public std::runtime_error {
  public:
    explicit objc_exception(const std::string& what) : std::runtime_error(what) {}
};

SEL sel_registerName(const char* name);
const char* sel_getName(SEL sel);

Class objc_getClass(const char* name);
Class objc_allocateClassPair(Class superclass, const char* name, std::size_t extraBytes = 0);
void objc_registerClassPair(Class cls);
const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
Class object_getClass(id object);

BOOL class_addMethod(Class cls, SEL name, IMP imp, const char* types);
IMP class_replaceMethod(Class cls, SEL name, IMP imp, const char* types);
Method class_getInstanceMethod(Class cls, SEL name);
BOOL class_respondsToSelector(Class cls, SEL name);
IMP method_getImplementation(Method method);
const char* method_getTypeEncoding(Method method);
IMP method_setImplementation(Method method, IMP imp);
// The type characters of a method-type string, without the frame offsets the device
// writes ("B16@0:8" gives "B@:"): two methods take the same types when these agree.
// A null string has none.
std::string method_typeCharacters(const char* types);

// A recursive lock tied to an object, as the platform's @synchronized uses.
int objc_sync_enter(id object);
int objc_sync_exit(id object);

// RAII form of objc_sync_enter/exit: the lock is released however the scope is left.
class ObjCSynchronized {
  public:
    explicit ObjCSynchronized(id object) : object_(object) { objc_sync_enter(object_); }
    ~ObjCSynchronized() { objc_sync_exit(object_); }
    ObjCSynchronized(const ObjCSynchronized&) = delete;
    ObjCSynchronized& operator=(const ObjCSynchronized&) = delete;

  private:
    id object_;
};

// ---- type encodings -------------------------------------------------------------
// objc_encoding<T>::value is the platform's encoding of T. Frameworks add their
// structures (CGRect, CGPoint...) by specialising it.
template <class T, class Enable = void> struct objc_encoding;

template <> struct objc_encoding<void> { static constexpr const char* value = "v"; };
template <> struct objc_encoding<bool> { static constexpr const char* value = "B"; };
template <> struct objc_encoding<char> { static constexpr const char* value = "c"; };
template <> struct objc_encoding<signed char> { static constexpr const char* value = "c"; };
template <> struct objc_encoding<unsigned char> { static constexpr const char* value = "C"; };
template <> struct objc_encoding<int> { static constexpr const char* value = "i"; };
template <> struct objc_encoding<unsigned int> { static constexpr const char* value = "I"; };
template <> struct objc_encoding<long> { static constexpr const char* value = "q"; };
template <> struct objc_encoding<long long> { static constexpr const char* value = "q"; };
template <> struct objc_encoding<unsigned long> { static constexpr const char* value = "Q"; };
template <> struct objc_encoding<unsigned long long> { static constexpr const char* value = "Q"; };
template <> struct objc_encoding<float> { static constexpr const char* value = "f"; };
template <> struct objc_encoding<double> { static constexpr const char* value = "d"; };
template <> struct objc_encoding<SEL> { static constexpr const char* value = ":"; };
template <class T> struct objc_encoding<T*, std::enable_if_t<std::is_base_of_v<objc_object, T>>> {
    static constexpr const char* value = "@";
};

// The method-type string of a method `R m(id self, SEL _cmd, Args...)`.
template <class R, class... Args> std::string objc_method_types() {
    std::string types = objc_encoding<std::decay_t<R>>::value;
    types += "@:";
    ((types += objc_encoding<std::decay_t<Args>>::value), ...);
    return types;
}

// A method implementation, as registered, with its type string derived from its
// signature so that the two cannot disagree.
template <class R, class Self, class... Args> IMP imp_cast(R (*function)(Self*, SEL, Args...)) {
    static_assert(std::is_base_of_v<objc_object, Self>);
    return reinterpret_cast<IMP>(function);
}

template <class R, class Self, class... Args> std::string imp_types(R (*)(Self*, SEL, Args...)) {
    return objc_method_types<R, Args...>();
}

namespace objc_detail {
// Looks the method up along the superclass chain, checks its type encoding against
// `types` (digits ignored) and returns its implementation; throws objc_exception.
IMP lookupForSend(id self, SEL op, const std::string& types);
} // namespace objc_detail

// Typed message send: `objc_msgSend<R>(receiver, selector, args...)`. A message to
// nil returns a zero value, as on the platform.
template <class R = void, class... Args> R objc_msgSend(id self, SEL op, Args... args) {
    if (self == nullptr) {
        if constexpr (std::is_void_v<R>) {
            return;
        } else {
            return R{};
        }
    }
    const std::string types = objc_method_types<R, Args...>();
    IMP imp = objc_detail::lookupForSend(self, op, types);
    auto function = reinterpret_cast<R (*)(id, SEL, Args...)>(imp);
    return function(self, op, args...);
}

// Calls a saved implementation directly, as a hook calls the method it replaced.
template <class R = void, class... Args> R objc_callIMP(IMP imp, id self, SEL op, Args... args) {
    auto function = reinterpret_cast<R (*)(id, SEL, Args...)>(imp);
    return function(self, op, args...);
}
