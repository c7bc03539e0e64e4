#include <cstdio>
int main() { std::puts("quorva"); return 0; }
