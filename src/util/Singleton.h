#pragma once

// Marks a class of which the program keeps exactly one shared instance; the
// owner of that instance manages its lifetime.
template <class T>
class Singleton
{
protected:
    Singleton() = default;
    ~Singleton() = default;
};
