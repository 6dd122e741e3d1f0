// A layer alone with the layers below it: linking it proves that it
// calls nothing of a higher layer.
int main() { return 0; }
