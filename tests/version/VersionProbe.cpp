// A program that does nothing: the version reader is tested against its resources.
int main() { return 0; }
