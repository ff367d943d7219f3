#include <objc/runtime.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

struct objc_selector {
    std::string name;
};

struct objc_method {
    SEL name;
    IMP imp;
    std::string types;
};

struct objc_class {
    std::string name;
    Class superclass = nullptr;
    bool registered = false;
    std::unordered_map<SEL, std::unique_ptr<objc_method>> methods;
};

namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, std::unique_ptr<objc_selector>> selectors;
    std::map<std::string, std::unique_ptr<objc_class>> classes;
    std::mutex syncMutex;
    std::unordered_map<id, std::unique_ptr<std::recursive_mutex>> syncLocks;
};

// Never destroyed: plug-ins' saved implementations may be called from other static
// destructors at exit.
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

Method findMethodLocked(Class cls, SEL name) {
    for (Class c = cls; c != nullptr; c = c->superclass) {
        auto found = c->methods.find(name);
        if (found != c->methods.end()) {
            return found->second.get();
        }
    }
    return nullptr;
}

} // namespace

SEL sel_registerName(const char* name) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto& slot = r.selectors[name];
    if (!slot) {
        slot = std::make_unique<objc_selector>(objc_selector{name});
    }
    return slot.get();
}

const char* sel_getName(SEL sel) {
    return sel ? sel->name.c_str() : "<null selector>";
}

Class objc_getClass(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto found = r.classes.find(name);
    if (found == r.classes.end() || !found->second->registered) {
        return nullptr;
    }
    return found->second.get();
}

Class objc_allocateClassPair(Class superclass, const char* name, std::size_t) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (name == nullptr || r.classes.count(name) != 0) {
        return nullptr;
    }
    auto cls = std::make_unique<objc_class>();
    cls->name = name;
    cls->superclass = superclass;
    Class result = cls.get();
    r.classes.emplace(name, std::move(cls));
    return result;
}

void objc_registerClassPair(Class cls) {
    if (cls == nullptr) {
        return;
    }
    std::lock_guard lock(registry().mutex);
    cls->registered = true;
}

const char* class_getName(Class cls) {
    return cls ? cls->name.c_str() : "nil";
}

Class class_getSuperclass(Class cls) {
    return cls ? cls->superclass : nullptr;
}

Class object_getClass(id object) {
    return object ? object->isa : nullptr;
}

BOOL class_addMethod(Class cls, SEL name, IMP imp, const char* types) {
    if (cls == nullptr || name == nullptr || imp == nullptr) {
        return NO;
    }
    std::lock_guard lock(registry().mutex);
    if (cls->methods.count(name) != 0) {
        return NO;
    }
    cls->methods.emplace(name,
                         std::make_unique<objc_method>(objc_method{name, imp, types ? types : ""}));
    return YES;
}

IMP class_replaceMethod(Class cls, SEL name, IMP imp, const char* types) {
    if (cls == nullptr || name == nullptr || imp == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(registry().mutex);
    auto found = cls->methods.find(name);
    if (found != cls->methods.end()) {
        IMP previous = found->second->imp;
        found->second->imp = imp;
        return previous;
    }
    cls->methods.emplace(name,
                         std::make_unique<objc_method>(objc_method{name, imp, types ? types : ""}));
    return nullptr;
}

Method class_getInstanceMethod(Class cls, SEL name) {
    if (cls == nullptr || name == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(registry().mutex);
    return findMethodLocked(cls, name);
}

BOOL class_respondsToSelector(Class cls, SEL name) {
    return class_getInstanceMethod(cls, name) != nullptr;
}

IMP method_getImplementation(Method method) {
    if (method == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(registry().mutex);
    return method->imp;
}

const char* method_getTypeEncoding(Method method) {
    return method ? method->types.c_str() : nullptr;
}

IMP method_setImplementation(Method method, IMP imp) {
    if (method == nullptr || imp == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(registry().mutex);
    IMP previous = method->imp;
    method->imp = imp;
    return previous;
}

std::string method_typeCharacters(const char* types) {
    std::string characters;
    for (const char* c = types; c != nullptr && *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            characters += *c;
        }
    }
    return characters;
}

namespace {

// Entering a lock makes it on first use; leaving one only looks it up.
enum class SyncLockLookup { CreateIfMissing, ExistingOnly };

// The lock of `object`. Locks are never freed, so a thread may remember the last one
// it used and skip the registry's mutex when it locks the same object again: the
// common case of one lock taken over and over.
std::recursive_mutex* syncLockFor(id object, SyncLockLookup lookup) {
    thread_local id lastObject = nullptr;
    thread_local std::recursive_mutex* lastLock = nullptr;
    if (object == lastObject) {
        return lastLock;
    }
    Registry& r = registry();
    std::lock_guard guard(r.syncMutex);
    auto found = r.syncLocks.find(object);
    if (found == r.syncLocks.end()) {
        if (lookup == SyncLockLookup::ExistingOnly) {
            return nullptr;
        }
        found = r.syncLocks.emplace(object, std::make_unique<std::recursive_mutex>()).first;
    }
    lastObject = object;
    lastLock = found->second.get();
    return lastLock;
}

} // namespace

int objc_sync_enter(id object) {
    if (object == nullptr) {
        return 0; // @synchronized(nil) does nothing on the platform either
    }
    syncLockFor(object, SyncLockLookup::CreateIfMissing)->lock();
    return 0;
}

int objc_sync_exit(id object) {
    if (object == nullptr) {
        return 0;
    }
    std::recursive_mutex* lock = syncLockFor(object, SyncLockLookup::ExistingOnly);
    if (lock == nullptr) {
        return -1; // never locked: the platform's "not owning thread" error
    }
    lock->unlock();
    return 0;
}

namespace objc_detail {

IMP lookupForSend(id self, SEL op, const std::string& types) {
    Class cls = self->isa;
    if (cls == nullptr) {
        throw objc_exception(std::string("message ") + sel_getName(op) +
                             " sent to an object outside the class registry");
    }
    std::lock_guard lock(registry().mutex);
    Method method = findMethodLocked(cls, op);
    if (method == nullptr) {
        throw objc_exception(std::string("-[") + cls->name + " " + sel_getName(op) +
                             "]: unrecognized selector sent to instance");
    }
    if (method_typeCharacters(method->types.c_str()) != method_typeCharacters(types.c_str())) {
        throw objc_exception(std::string("-[") + cls->name + " " + sel_getName(op) +
                             "]: sent with types \"" + types + "\" but the method takes \"" +
                             method->types + "\"");
    }
    return method->imp;
}

} // namespace objc_detail
