// libzorvane.so is built from the zorvane_static archive; the shared target needs one
// source file of its own.
