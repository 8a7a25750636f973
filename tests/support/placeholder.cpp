// Keeps the support library non-empty.
namespace tavro_test_support {}
