#pragma once

// The platform layers of the About box (registry, directory listing, program start, shell) are
// each one small interface. The program uses the machine's own implementation; tests put a fake
// in its place for as long as they need it.
template <class Api, class Native> class Seam {
public:
    static Api& current() { return override() ? *override() : native(); }
    // Puts a replacement in place; nullptr goes back to the machine's own.
    static void replace(Api* api) { override() = api; }

private:
    static Api& native()
    {
        static Native instance;
        return instance;
    }
    static Api*& override()
    {
        static Api* api = nullptr;
        return api;
    }
};
