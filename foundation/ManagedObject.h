#pragma once

// Base of small helper objects that are created by one party and deleted by
// another through a base pointer (value adapters and converters hung on
// parameters, for example).
class ManagedObject {
public:
    ManagedObject() = default;
    ManagedObject(const ManagedObject&) = default;
    ManagedObject& operator=(const ManagedObject&) = default;
    virtual ~ManagedObject() = default;
};
