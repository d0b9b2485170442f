// Preloaded into the real program by tst_appprocess: once start-up is done
// and the event loop would start, the program faults by itself, on its own
// GUI thread, as a defect in the client would.

class QApplication
{
public:
    static int exec();
};

// The sanitizer build's undefined-behaviour check must let the fault happen.
__attribute__((no_sanitize("undefined"))) int QApplication::exec()
{
    volatile int *nowhere = nullptr;
    return *nowhere;
}
