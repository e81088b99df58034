#pragma once

// Every service the program asks of the system (and each runtime hook a test needs to watch) is
// one small interface, Api, with the machine's own implementation, Native. The program always
// goes through Seam<Api, Native>::current(); a test puts its own implementation in place with an
// Override, which brings back the one before when it goes out of scope, whatever the test does
// in between (a failing check returns early, an exception unwinds).
template <class Api, class Native> class Seam {
public:
    static Api& current()
    {
        Api* replacement = slot();
        return replacement ? *replacement : native();
    }

    // Puts a replacement in place for its own lifetime. Overrides nest: the innermost one is
    // current, and ending it brings back the one it replaced.
    class Override {
    public:
        explicit Override(Api& replacement)
            : m_previous(slot())
        {
            slot() = &replacement;
        }
        ~Override() { slot() = m_previous; }
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        Api* m_previous;
    };

private:
    static Api& native()
    {
        static Native instance;
        return instance;
    }
    static Api*& slot()
    {
        static Api* replacement = nullptr;
        return replacement;
    }
};
