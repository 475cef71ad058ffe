// The temporary root object of an archive load: a component whose published
// object property "List" designates the collection being read.
#pragma once

#include <string>

#include "assets/ComponentReader.h"
#include "assets/Errors.h"

class TArchiveRoot : public TPersistentReadable {
public:
    TArchiveRoot(const char* className, TPersistentReadable& list, TCollectionReadable& items)
        : className_(className), list_(&list), items_(items) {}

    const char* ClassName() const override { return className_; }
    std::string ErrorName() const override { return name_.empty() ? className_ : name_; }
    void SetComponentName(const std::string& name) override { name_ = name; }

    bool ReadProperty(TReader& reader, const std::string& name) override;
    TPersistentReadable* ObjectProperty(const std::string& name) override;

private:
    const char* className_;
    std::string name_;
    TPersistentReadable* list_; // nullptr once a stream set "List" to nil
    TCollectionReadable& items_;
};

bool SameTextAscii(const std::string& a, const char* b);
