// Keeps the harness library non-empty whatever else it holds.
namespace harness {
int library_version() {
    return 1;
}
}  // namespace harness
